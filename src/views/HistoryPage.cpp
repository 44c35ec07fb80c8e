#include "views/HistoryPage.h"

#include "chart/Chart.h"
#include "platform/Messages.h"
#include "platform/SettingsFile.h"
#include "selection/StatFiles.h"
#include "support/Utility.h"
#include "views/PageParts.h"
#include "views/Palette.h"
#include "views/ScanComparison.h"
#include "views/TableExport.h"
#include "widgets/MenuButton.h"
#include "widgets/StringGrid.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
#include <map>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QRadioButton>

namespace vorin {
namespace {

constexpr int kTypesShown = 5;
const QList<int> kHistoryWidths = {110, 100, 70, 67, 67, 67, 67, 67};
const QRect kPlace(4, 34, 616, 270);

double usedSpace(const KeptScan &scan)
{
    return scan.capacity - scan.freeSpace;
}

// A type's figures in one kept scan; nothing when it had none of them.
template <typename Figures> TypeTotal typeOf(const Figures &figures, const std::string &key)
{
    const auto found = figures.types.find(key);
    return found == figures.types.end() ? TypeTotal{} : found->second;
}

QString dateOf(std::int64_t takenAt)
{
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(takenAt).date(), QLocale::ShortFormat);
}

} // namespace

HistoryPage::HistoryPage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    auto *label = makeLabel(page, QString(), QStringLiteral("&Drive"), QRect(8, 8, 40, 18));
    cbHistoryDrive = new QComboBox(page);
    cbHistoryDrive->setObjectName(QStringLiteral("cbHistoryDrive"));
    cbHistoryDrive->setGeometry(50, 5, 250, 23);
    label->setBuddy(cbHistoryDrive);
    connect(cbHistoryDrive, &QComboBox::activated, this, [this] { showDrive(); });

    cbKeepHistory = new QCheckBox(QStringLiteral("&Keep a history of scans"), page);
    cbKeepHistory->setObjectName(QStringLiteral("cbKeepHistory"));
    cbKeepHistory->setGeometry(312, 6, 178, 20);
    cbKeepHistory->setChecked(ReadKeepHistory(context.services.settings));
    connect(cbKeepHistory, &QCheckBox::clicked, this, &HistoryPage::cbKeepHistoryClick);

    ForgetMenu = new QMenu(page);
    ForgetMenu->setObjectName(QStringLiteral("ForgetMenu"));
    QAction *forgetDrive = ForgetMenu->addAction(QStringLiteral("Forget this &drive's history"));
    forgetDrive->setObjectName(QStringLiteral("ForgetDrive"));
    connect(forgetDrive, &QAction::triggered, this, [this] { forgetClick(false); });
    QAction *forgetAll = ForgetMenu->addAction(QStringLiteral("Forget &all history"));
    forgetAll->setObjectName(QStringLiteral("ForgetAll"));
    connect(forgetAll, &QAction::triggered, this, [this] { forgetClick(true); });
    btForget = new MenuButton(QStringLiteral("&Forget history"), page);
    btForget->setObjectName(QStringLiteral("btForget"));
    btForget->setGeometry(496, 4, 124, 25);
    btForget->setPopupMenu(ForgetMenu);

    chartHistory = makeChart(page, QStringLiteral("chartHistory"), kPlace, context.services.locale);
    chartHistory->model().edit([](chart::ChartSettings &s) {
        s.titleVisible = false;
        s.legend.visible = true;
        s.legend.content = chart::LegendContent::SeriesTitles;
        s.legend.position = chart::LegendPosition::Top;
        s.bottomAxis.labelAngle = 90;
        s.leftAxis.format = QStringLiteral("#,##0");
        s.userZoomAllowed = true;
    });
    gridHistory = makeListingGrid(page, QStringLiteral("gridHistory"), 8, 2, kHistoryWidths);
    gridHistory->setGeometry(kPlace);
    historyTable = offerGridExport(gridHistory, QStringLiteral("History"), {1, 2, 3, 4, 5, 6, 7},
                                   context.services.locale);
    lblNoHistory = makeLabel(page, QStringLiteral("lblNoHistory"), QString(), kPlace,
                             Qt::AlignCenter);
    lblNoHistory->setWordWrap(true);
    lblNoHistory->hide();

    rgHistory = makeViewButtons(page, QStringLiteral("rgHistory"));
    for (QRadioButton *button : rgHistory)
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                showDrive();
        });
}

void HistoryPage::refresh()
{
    ScanHistory *history = m_context.services.history;
    const QString chosen = cbHistoryDrive->currentText();
    m_drives.clear();
    cbHistoryDrive->clear();
    QString problem;
    if (history) {
        try {
            // Newest first: the drive scanned last leads the list.
            std::vector<KeptScan> scans = history->scans();
            std::reverse(scans.begin(), scans.end());
            for (const KeptScan &scan : scans) {
                const bool known = std::any_of(m_drives.begin(), m_drives.end(), [&](const auto &d) {
                    return d.place == scan.place && d.identity == scan.identity;
                });
                if (known)
                    continue;
                QString label = toQt(scan.drive);
                // Another disk on the same mount point: told apart by when it was last there.
                if (std::any_of(m_drives.begin(), m_drives.end(),
                                [&](const auto &d) { return d.place == scan.place; }))
                    label += QStringLiteral(" until ") + dateOf(scan.takenAt);
                m_drives.push_back({scan.place, scan.identity, label});
            }
        } catch (const HistoryError &e) {
            m_drives.clear();
            problem = toQt(e.what());
        }
    } else {
        problem = toQt(m_context.services.historyProblem);
    }
    for (const KeptDrive &drive : m_drives)
        cbHistoryDrive->addItem(drive.label);
    const int again = cbHistoryDrive->findText(chosen);
    cbHistoryDrive->setCurrentIndex(again >= 0 ? again : 0);
    btForget->setEnabled(!m_drives.empty());
    if (!problem.isEmpty() || m_drives.empty()) {
        lblNoHistory->setText(problem.isEmpty() ? QStringLiteral("No scans are kept yet.")
                                                : problem);
        lblNoHistory->show();
        chartHistory->hide();
        gridHistory->hide();
        return;
    }
    showDrive();
}

void HistoryPage::showDrive()
{
    ScanHistory *history = m_context.services.history;
    const int index = cbHistoryDrive->currentIndex();
    if (!history || index < 0 || static_cast<std::size_t>(index) >= m_drives.size())
        return;
    const KeptDrive &drive = m_drives[static_cast<std::size_t>(index)];
    std::vector<ScanFigures> kept;
    try {
        std::map<std::int64_t, std::size_t> byId;
        for (const KeptScan &scan : history->scans(drive.place)) {
            if (scan.identity != drive.identity)
                continue;
            byId.emplace(scan.id, kept.size());
            kept.push_back({scan, {}});
        }
        // Every type of every scan in one read: a thousand scans open at once.
        for (const auto &[id, figure] : history->tableOfPlace(drive.place, "types"))
            if (const auto scan = byId.find(id); scan != byId.end())
                kept[scan->second].types.emplace(
                    figure.key, TypeTotal{figure.key, figure.files,
                                          static_cast<std::int64_t>(figure.bytes)});
    } catch (const HistoryError &e) {
        lblNoHistory->setText(toQt(e.what()));
        lblNoHistory->show();
        chartHistory->hide();
        gridHistory->hide();
        return;
    }
    lblNoHistory->hide();

    // The five largest types of the last scan.
    std::vector<TypeTotal> last;
    if (!kept.empty())
        for (const auto &[key, type] : kept.back().types)
            last.push_back(type);
    std::sort(last.begin(), last.end(), [](const TypeTotal &a, const TypeTotal &b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.key < b.key;
    });
    if (last.size() > static_cast<std::size_t>(kTypesShown))
        last.resize(kTypesShown);

    const bool listing = rgHistory[0]->isChecked();
    gridHistory->setVisible(listing);
    chartHistory->setVisible(!listing);
    // Only what is shown is filled: a thousand scans make a long table.
    if (!listing)
        return chartDrive(kept, last);

    // The table: a row per scan, oldest first.
    const LocaleSeparators &locale = m_context.services.locale;
    const auto n = [&locale](double x) { return toQt(formatWhole(x, locale)); };
    gridHistory->setRowCount(static_cast<int>(kept.size()) + 1);
    QStringList headings{QStringLiteral("Scan"), QStringLiteral("Used space"),
                         QStringLiteral("Files")};
    for (const TypeTotal &type : last)
        headings << toQt(type.key.empty() ? std::string("(none)") : type.key);
    while (headings.size() < kHistoryWidths.size())
        headings << QString();
    gridHistory->setRowTexts(0, headings);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const KeptScan &scan = kept[i].scan;
        QStringList row{ScanComparison::whenText(scan.takenAt), n(usedSpace(scan)),
                        n(double(scan.files))};
        for (const TypeTotal &type : last)
            row << n(double(typeOf(kept[i], type.key).bytes));
        gridHistory->setRowTexts(static_cast<int>(i) + 1, row);
    }
    fitListingGrid(*gridHistory, kHistoryWidths);
}

void HistoryPage::chartDrive(const std::vector<ScanFigures> &kept,
                             const std::vector<TypeTotal> &last)
{
    // The chart: used space (or files) and the five types, a point per scan.
    const bool bySize = rgHistory[1]->isChecked();
    chart::ChartModel &model = chartHistory->model();
    model.removeAllSeries();
    model.edit([bySize](chart::ChartSettings &s) {
        s.leftAxis.title =
            bySize ? QStringLiteral("Size in MB") : QStringLiteral("Number of files");
    });
    Palette &palette = m_context.aColors;
    palette.initAColors(true, QColor());
    const auto curve = [&](const QString &title, int colour, auto value) {
        chart::ChartSeries &series = model.addSeries(chart::SeriesKind::Line, title);
        series.setColor(palette[colour]);
        series.setUnit(bySize ? QStringLiteral("MB") : QStringLiteral("files"));
        for (std::size_t i = 0; i < kept.size(); ++i)
            series.addXY(double(i), value(kept[i]), dateOf(kept[i].scan.takenAt), palette[colour]);
    };
    curve(bySize ? QStringLiteral("Used space") : QStringLiteral("Files"), 1,
          [&](const ScanFigures &f) {
              return bySize ? usedSpace(f.scan) / kBytesPerMB : double(f.scan.files);
          });
    for (std::size_t t = 0; t < last.size(); ++t) {
        const std::string key = last[t].key;
        curve(toQt(key.empty() ? std::string("(none)") : key), int(t) + 2,
              [&](const ScanFigures &f) {
                  const TypeTotal type = typeOf(f, key);
                  return bySize ? double(type.bytes) / kBytesPerMB : double(type.files);
              });
    }
}

void HistoryPage::forgetClick(bool everyDrive)
{
    ScanHistory *history = m_context.services.history;
    const int index = cbHistoryDrive->currentIndex();
    if (!history || (!everyDrive && (index < 0 || std::size_t(index) >= m_drives.size())))
        return;
    try {
        const std::optional<std::string> place =
            everyDrive ? std::nullopt
                       : std::optional<std::string>(m_drives[std::size_t(index)].place);
        const std::size_t count = history->scans(place).size();
        const std::string scans = formatInt(static_cast<std::int64_t>(count), m_context.services.locale) +
                                  (count == 1 ? " kept scan" : " kept scans");
        const std::string question =
            everyDrive ? "Forget all " + scans + " of every drive?"
                       : "Forget the " + scans + " of " +
                             cbHistoryDrive->currentText().toStdString() + "?";
        if (confirm(question) != Answer::Yes)
            return;
        history->forget(place);
    } catch (const HistoryError &e) {
        showError(e.what());
    }
    refresh();
}

void HistoryPage::cbKeepHistoryClick()
{
    try {
        WriteKeepHistory(m_context.services.settings, cbKeepHistory->isChecked());
    } catch (const SettingsWriteError &e) {
        showError(e.what());
        cbKeepHistory->setChecked(ReadKeepHistory(m_context.services.settings));
    }
}

} // namespace vorin
