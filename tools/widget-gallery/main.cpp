// Renders the widget set as the windows use it, one PNG per state, so that
// a change of look can be seen without starting the program. Run it with
// QT_QPA_PLATFORM=offscreen on a machine without a display.

#include "widgets/DrawGrid.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/GradientBackdrop.h"
#include "widgets/HeadingLabel.h"
#include "widgets/MenuButton.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"
#include "widgets/StringGrid.h"
#include "widgets/TiledPanel.h"

#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextStream>

using namespace vorin;

namespace {

QString g_outputDir;
int g_written = 0;

void save(QWidget &widget, const QString &name)
{
    widget.ensurePolished();
    const QString path = QDir(g_outputDir).filePath(name + QStringLiteral(".png"));
    if (widget.grab().save(path))
        ++g_written;
    else
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A corner of a widget enlarged pixel for pixel, to judge edges and ticks.
void saveZoomed(QWidget &widget, const QRect &area, int factor, const QString &name)
{
    const QImage part = widget.grab(area).toImage();
    const QImage big =
        part.scaled(part.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (big.save(QDir(g_outputDir).filePath(name + QStringLiteral(".png"))))
        ++g_written;
}

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

QStringList driveEntries()
{
    return {QStringLiteral("c: [system]"), QStringLiteral("d: (Fixed disk)"), QStringLiteral("e:"),
            QStringLiteral("f: [cdrom_01]"), QStringLiteral("g: \\\\server\\share")};
}

QStringList typeEntries()
{
    return {
        QStringLiteral("*.bak\tBackup file"),    QStringLiteral("*.bmp\tBitmap image"),
        QStringLiteral("*.doc\tWord document"),  QStringLiteral("*.exe\tApplication"),
        QStringLiteral("*.htm\tHTML document"),  QStringLiteral("*.ini\tConfiguration settings"),
        QStringLiteral("*.log\tText log"),       QStringLiteral("*.tmp\tTemporary file"),
        QStringLiteral("*.txt\tText document"),  QStringLiteral("*.wav\tWave sound"),
        QStringLiteral("*.zip\tZIP archive"),    QStringLiteral("*.~mp\tTemporary file"),
        QStringLiteral("*.$$$\tTemporary file"), QStringLiteral("*.chk\tRecovered fragment"),
        QStringLiteral("*.gid\tHelp index"),     QStringLiteral("*.old\tOld version")};
}

PickList *makePickList(QWidget *parent, const QString &name)
{
    auto *list = new PickList(parent);
    list->setObjectName(name);
    list->setFont(dialogFont(11));
    list->setRowHeight(16);
    list->setBackgroundColor(buttonFace());
    return list;
}

HeadingLabel *makeHeading(QWidget *parent, const QString &text, const QRect &place)
{
    auto *label = new HeadingLabel(text, parent);
    label->applyHeadingStyle(23);
    label->setGeometry(place);
    return label;
}

// The wizard's drive panel, 283 × 315.
void renderDrivePanel()
{
    QWidget panel;
    panel.setFont(dialogFont(11));
    panel.setFixedSize(283, 315);
    makeHeading(&panel, QStringLiteral("Which drives?"), QRect(8, 5, 259, 27));
    PickList *drives = makePickList(&panel, QStringLiteral("pckDrive"));
    drives->setGeometry(7, 32, 266, 243);
    drives->setItems(driveEntries());
    drives->setSelected(0, true);
    drives->setSelected(3, true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &panel);
    cancel->setGeometry(115, 280, 75, 25);
    auto *next = new QPushButton(QStringLiteral("&Next >>"), &panel);
    next->setGeometry(198, 280, 75, 25);
    next->setDefault(true);
    save(panel, QStringLiteral("wizard-drives"));
    saveZoomed(*drives, QRect(0, 0, 120, 40), 5, QStringLiteral("zoom-picklist-rows"));

    drives->setItemIndex(-1);
    save(*drives, QStringLiteral("picklist-all-selected"));
}

// The wizard's type panel with the description column 12 characters in.
void renderTypePanel()
{
    QWidget panel;
    panel.setFont(dialogFont(11));
    panel.setFixedSize(283, 315);
    makeHeading(&panel, QStringLiteral("Selected file types only"), QRect(8, 5, 192, 27));
    HeadingLabel *count = makeHeading(&panel, QStringLiteral("3/16"), QRect(200, 5, 75, 27));
    count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PickList *types = makePickList(&panel, QStringLiteral("PickList1"));
    types->setGeometry(8, 32, 265, 243);
    types->setTabStops({12 * types->averageCharWidth()});
    types->setItems(typeEntries());
    for (const int row : {1, 2, 7})
        types->setSelected(row, true);
    auto *edit = new QPushButton(QStringLiteral("&Add/Delete"), &panel);
    edit->setGeometry(8, 281, 89, 25);
    auto *prior = new QPushButton(QStringLiteral("<< &Previous"), &panel);
    prior->setGeometry(115, 281, 75, 25);
    auto *ok = new QPushButton(QStringLiteral("OK"), &panel);
    ok->setGeometry(198, 281, 75, 25);
    panel.show();
    types->setFocus();
    types->scrollToRow(15);
    save(panel, QStringLiteral("wizard-types"));

    types->setEnabled(false);
    save(*types, QStringLiteral("picklist-disabled"));
}

// The list editor: a sorted plain list with extended selection.
void renderListEditor()
{
    QWidget dialog;
    dialog.setFont(dialogFont(11));
    dialog.setFixedSize(367, 348);
    makeHeading(&dialog, QStringLiteral("File Types"), QRect(8, 5, 259, 27));
    HeadingLabel *count =
        makeHeading(&dialog, QStringLiteral("16 available"), QRect(16, 5, 233, 27));
    count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PickList *list = makePickList(&dialog, QStringLiteral("PickList1"));
    list->setSelectionStyle(PickList::SelectionStyle::Extended);
    list->setSorted(true);
    list->setGeometry(8, 37, 241, 304);
    list->setItems(typeEntries());
    list->setSelected(4, true);
    list->setSelected(5, true);
    int y = 41;
    for (const char *caption : {"&Add", "&Delete", "&Clear all", "Close"}) {
        auto *button = new QPushButton(QString::fromLatin1(caption), &dialog);
        button->setGeometry(264, y, 96, 27);
        y += 34;
    }
    save(dialog, QStringLiteral("list-editor"));
}

// The Space page's drive list in 13-pixel Arial.
void renderStatDriveList()
{
    PickList list;
    list.setObjectName(QStringLiteral("pckStatDrive"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(13);
    list.setFont(arial);
    list.setRowHeight(16);
    list.setItems(driveEntries());
    list.setItemIndex(-1);
    list.setSelected(4, false);
    list.resize(183, 120);
    save(list, QStringLiteral("picklist-stat-drives"));
}

void renderHeadings()
{
    QWidget sheet;
    sheet.setFixedSize(640, 330);
    sheet.setAutoFillBackground(true);

    makeHeading(&sheet, QStringLiteral("Which drives?"), QRect(10, 10, 259, 27));
    HeadingLabel *counter = makeHeading(&sheet, QStringLiteral("99/999"), QRect(280, 10, 75, 27));
    counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *notYet =
        new HeadingLabel(QStringLiteral("Statistics haven't been collected yet!"), &sheet);
    notYet->applyHeadingStyle(36);
    notYet->setGeometry(10, 50, 620, 50);

    // The main window's banners sit on its dark chart.
    auto *night = new GradientBackdrop(&sheet);
    night->setColors(QColor(0, 0, 60), QColor(0, 0, 200));
    night->setGeometry(10, 110, 620, 120);
    auto *title = new HeadingLabel(QStringLiteral("Vorin 99 - Disk Statistics"), night);
    title->setFont(headingFont(29));
    title->setTextColor(QColor(0x80, 0x80, 0x00));
    title->setShadowColor(Qt::black);
    title->setShadowDepth(2);
    title->setHighlightColor(Qt::yellow);
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(0, 0, 620, 57);
    auto *bottom = new HeadingLabel(QStringLiteral("www.example.com"), night);
    bottom->setFont(headingFont(27));
    bottom->setTextColor(QColor(0xff, 0x00, 0xff));
    bottom->setShadowColor(QColor(0x00, 0x00, 0x80));
    bottom->setShadowDepth(7);
    bottom->setAlignment(Qt::AlignCenter);
    bottom->setGeometry(0, 62, 620, 50);

    // Raised lettering of the Space page's figures.
    int y = 240;
    for (const char *caption : {"Total Capacity:", "Free Space:"}) {
        auto *figure = new HeadingLabel(QString::fromLatin1(caption), &sheet);
        figure->setFont(headingFont(21));
        figure->setTextColor(Qt::black);
        figure->setShadowColor(QApplication::palette().color(QPalette::Dark));
        figure->setShadowDepth(1);
        figure->setHighlightColor(Qt::white);
        figure->setGeometry(10, y, 200, 28);
        auto *value = new HeadingLabel(QStringLiteral("12,345"), &sheet);
        value->setFont(headingFont(21));
        value->setTextColor(Qt::black);
        value->setShadowColor(QApplication::palette().color(QPalette::Dark));
        value->setShadowDepth(1);
        value->setHighlightColor(Qt::white);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setGeometry(210, y, 120, 28);
        y += 30;
    }
    // Every direction, to see the extrusion turn.
    const ShadowDirection directions[] = {ShadowDirection::UpLeft, ShadowDirection::Up,
                                          ShadowDirection::Right, ShadowDirection::DownLeft};
    int x = 360;
    for (const ShadowDirection direction : directions) {
        auto *sample = new HeadingLabel(QStringLiteral("Ab"), &sheet);
        sample->applyHeadingStyle(30);
        sample->setShadowDirection(direction);
        sample->setGeometry(x, 250, 60, 50);
        sample->setAlignment(Qt::AlignCenter);
        x += 65;
    }
    save(sheet, QStringLiteral("heading-labels"));
}

StringGrid *makeTypesGrid(QWidget *parent, int types)
{
    auto *grid = new StringGrid(parent);
    grid->setObjectName(QStringLiteral("gridTypes"));
    grid->setColCount(5);
    grid->setRowCount(types + 2);
    grid->setFixedRows(1);
    grid->setFixedBottomRows(1);
    grid->setColWidths({80, 219, 120, 75, 82});
    grid->setRowHeight(19);
    grid->setRowSelect(true);
    grid->setRowTexts(0,
                      {QStringLiteral("Extension"), QStringLiteral("Type"), QStringLiteral("Size"),
                       QStringLiteral("# Files"), QStringLiteral("Avg File Size")});
    const QStringList entries = typeEntries();
    double total = 0;
    int files = 0;
    for (int r = 1; r <= types; ++r) {
        const QString entry = entries.at((r - 1) % entries.size());
        const int count = 3 + (r * 37) % 211;
        const double size = count * (1000.0 + (r * 7919) % 90000);
        total += size;
        files += count;
        grid->setRowTexts(r, {entry.section(QLatin1Char('\t'), 0, 0).mid(1).toUpper() +
                                  (r > entries.size() ? QString::number(r) : QString()),
                              entry.section(QLatin1Char('\t'), 1),
                              QLocale(QLocale::English).toString(size, 'f', 0),
                              QLocale(QLocale::English).toString(count),
                              QLocale(QLocale::English).toString(size / count, 'f', 0)});
    }
    grid->setRowTexts(types + 1, {QString(), QStringLiteral("Totals"),
                                  QLocale(QLocale::English).toString(total, 'f', 0),
                                  QLocale(QLocale::English).toString(files), QString()});
    grid->setAlignmentHandler(
        [](int column, int) { return column > 1 ? Qt::AlignRight : Qt::AlignLeft; });
    return grid;
}

void renderGrids()
{
    {
        QWidget page;
        page.setFixedSize(600, 300);
        StringGrid *grid = makeTypesGrid(&page, 30);
        grid->setGeometry(5, 5, 600 - 10, 255);
        grid->setSelection(0, 3);
        auto *sort = new MenuButton(QStringLiteral("&Sort"), &page);
        sort->setObjectName(QStringLiteral("btSort"));
        sort->setGeometry(5, 266, 90, 25);
        save(page, QStringLiteral("grid-types"));
    }
    {
        // The size bands table: drawn by the page's handler, never selected.
        DrawGrid grid;
        grid.setObjectName(QStringLiteral("gridSizes"));
        grid.setColCount(3);
        grid.setRowCount(13);
        grid.setColWidths({194, 189, 140});
        grid.setRowHeight(19);
        grid.setGridLines(DrawGrid::HorizontalLines);
        grid.setFrameStyle(QFrame::NoFrame);
        grid.setCellColor(buttonFace());
        grid.setSelection(20, 20);
        grid.setSelectCellHandler([](int, int) { return false; });
        const QStringList bands{"Over 16MB",  "8MB - 16MB", "4MB - 8MB",   "2MB - 4MB",
                                "1MB - 2MB",  "512K - 1MB", "256K - 512K", "128K - 256K",
                                "64K - 128K", "32K - 64K",  "16K - 32K",   "0 - 16K"};
        const QStringList headings{"File size", "Total file size", "Number of files"};
        grid.setDrawCellHandler([&](QPainter &painter, const QRect &rect, int column, int row,
                                    const GridCellState &) {
            QString text;
            if (row == 0)
                text = headings.at(column);
            else if (column == 0)
                text = bands.at(row - 1);
            else
                text = QLocale(QLocale::English)
                           .toString(column == 1 ? 1234567.0 * row * row : 17.0 * row, 'f', 0);
            const QRect inner = rect.adjusted(3, 2, -3, 0);
            painter.drawText(inner, (column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop,
                             text);
        });
        grid.resize(grid.totalWidth(), 13 * 19);
        save(grid, QStringLiteral("grid-sizes"));
    }
    {
        // The first printed page, on a white sheet the size of A4 at 96 dpi.
        QWidget holder;
        StringGrid *grid = makeTypesGrid(&holder, 120);
        grid->setPrintTitle(QStringLiteral("File types for drive c: [system]"));
        const QSizeF page(718, 1047);
        const GridPrintLayout layout = grid->printLayout(page, 96);
        for (int p : {0, static_cast<int>(layout.pages.size()) - 1}) {
            QImage image(page.toSize(), QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            grid->paintPrintPage(painter, layout, p, page);
            painter.end();
            const QString path =
                QDir(g_outputDir)
                    .filePath(QStringLiteral("grid-types-print-page%1.png").arg(p + 1));
            if (image.save(path))
                ++g_written;
        }
    }
}

void renderNotebook()
{
    Notebook notebook;
    notebook.setObjectName(QStringLiteral("OvcNotebook1"));
    notebook.setFont(dialogFont(11));
    notebook.setTabSize(QSize(63, 18));
    for (const char *caption : {"Space", "Types", "Sizes", "Overhang", "Access", "Created",
                                "Modified", "Combined", "Attribute", "Time"})
        notebook.addPage(QString::fromLatin1(caption));
    notebook.resize(632, 382);
    notebook.setPageEnabled(3, false);

    // The Space page with its drive list.
    PickList *drives = makePickList(notebook.page(0), QStringLiteral("pckStatDrive"));
    drives->setGeometry(5, 5, 183, 200);
    drives->setItems(driveEntries());
    drives->setSelected(0, true);
    save(notebook, QStringLiteral("notebook-space"));
    saveZoomed(notebook, QRect(0, 0, 200, 30), 4, QStringLiteral("zoom-notebook-tabs"));

    // A result page before any scan: the tiled overlay under the tab row.
    notebook.setPageIndex(2);
    auto *overlay = new TiledPanel(&notebook);
    overlay->setObjectName(QStringLiteral("pnlNotYet"));
    overlay->setGeometry(0, 19, 625, 359);
    auto *notYet =
        new HeadingLabel(QStringLiteral("Statistics haven't been collected yet!"), overlay);
    notYet->applyHeadingStyle(36);
    notYet->setAlignment(Qt::AlignCenter);
    notYet->setGeometry(10, 120, 605, 60);
    auto *abort = new QPushButton(QStringLiteral("Abort"), overlay);
    abort->setGeometry(250, 269, 121, 41);
    overlay->show();
    save(notebook, QStringLiteral("notebook-not-yet"));

    notebook.setFocus();
    overlay->hide();
    notebook.show();
    notebook.setFocus();
    save(notebook, QStringLiteral("notebook-sizes-focused"));
}

void renderMenuButtonAndBackdrop()
{
    {
        QWidget strip;
        strip.setFixedSize(240, 40);
        auto *sort = new MenuButton(QStringLiteral("&Sort"), &strip);
        sort->setGeometry(8, 8, 90, 25);
        auto *disabled = new MenuButton(QStringLiteral("&Sort"), &strip);
        disabled->setGeometry(110, 8, 90, 25);
        disabled->setEnabled(false);
        save(strip, QStringLiteral("menu-button"));
    }
    {
        QMenu menu;
        for (const char *caption : {"Sort by &Extension", "Sort by &Type", "Sort by &Size",
                                    "Sort by &Number of files", "Sort by &Average File Size"}) {
            QAction *action = menu.addAction(QString::fromLatin1(caption));
            action->setCheckable(true);
        }
        menu.actions().front()->setChecked(true);
        save(menu, QStringLiteral("menu-button-popup"));
    }
    {
        // The about box: a gradient backdrop with a bevelled panel.
        GradientBackdrop about;
        about.setFixedSize(443, 383);
        auto *panel = new QFrame(&about);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setLineWidth(2);
        panel->setGeometry(18, 10, 407, 327);
        panel->setAutoFillBackground(true);
        auto *name = new QLabel(QStringLiteral("<b>Vorin 99  Version 1.3</b>"), panel);
        name->setAlignment(Qt::AlignCenter);
        name->setGeometry(0, 12, 407, 20);
        auto *ok = new QPushButton(QStringLiteral("OK"), &about);
        ok->setGeometry(130, 348, 75, 25);
        auto *web = new QPushButton(QStringLiteral("Home Page"), &about);
        web->setGeometry(238, 348, 100, 25);
        save(about, QStringLiteral("gradient-backdrop"));
    }
    {
        TiledPanel panel;
        panel.resize(200, 120);
        save(panel, QStringLiteral("tiled-panel"));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installFontSubstitutes();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: widget-gallery <output directory>\n");
        return 2;
    }
    g_outputDir = arguments.at(1);
    if (!QDir().mkpath(g_outputDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(g_outputDir));
        return 1;
    }
    renderDrivePanel();
    renderTypePanel();
    renderListEditor();
    renderStatDriveList();
    renderHeadings();
    renderGrids();
    renderNotebook();
    renderMenuButtonAndBackdrop();
    std::printf("%d pictures written to %s\n", g_written, qPrintable(g_outputDir));
    return 0;
}
