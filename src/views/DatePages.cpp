#include "views/DatePages.h"

#include "chart/Chart.h"
#include "platform/Messages.h"
#include "support/Utility.h"
#include "views/PageParts.h"
#include "widgets/StringGrid.h"
#include "widgets/WindowSupport.h"

#include <QRadioButton>
#include <QToolButton>

namespace vorin {

namespace {

const char *const kAccessNote =
    "Note: prior versions of Windows and DOS did not store the file access date.  Files never "
    "recorded as being accessed are probably old files that were converted to Windows 95.";
const char *const kCreatedNote =
    "Files never recorded as being created are probably old files that were converted to "
    "Windows 95.  Note: prior versions of Windows and DOS did not store the file creation date "
    "independent of the last file modification or file write date.";
const char *const kModifiedNote =
    "Note: prior versions of Windows and DOS treated the file creation date synonomously  with "
    "the last file modification date.  Therefore all files have a file modification date.";
const char *const kCombinedNote = "This chart combines the Accessed, Created and Modified charts";

} // namespace

DatePages::DatePages(const std::array<QWidget *, 4> &pages, PageContext &context)
    : QObject(pages[0]), m_context(context)
{
    const LocaleSeparators &locale = context.services.locale;
    const QRect chartPlace(4, 4, 616, 300);
    const QList<int> widths = {194, 189, 140};

    chartAccess = makeChart(pages[0], QStringLiteral("chartAccess"), chartPlace, locale);
    gridAccess = makeListingGrid(pages[0], QStringLiteral("gridAccess"), 3, 11, widths);
    rgAccess = makeViewButtons(pages[0], QStringLiteral("rgAccess"));
    SpeedButton1 = makeNoteButton(pages[0], QStringLiteral("SpeedButton1"));

    chartCreate = makeChart(pages[1], QStringLiteral("chartCreate"), chartPlace, locale);
    gridCreate = makeListingGrid(pages[1], QStringLiteral("gridCreate"), 3, 11, widths);
    rgCreate = makeViewButtons(pages[1], QStringLiteral("rgCreate"));
    SpeedButton2 = makeNoteButton(pages[1], QStringLiteral("SpeedButton2"));

    chartModify = makeChart(pages[2], QStringLiteral("chartModify"), chartPlace, locale);
    gridModify = makeListingGrid(pages[2], QStringLiteral("gridModify"), 3, 11, widths);
    rgModify = makeViewButtons(pages[2], QStringLiteral("rgModify"));
    SpeedButton3 = makeNoteButton(pages[2], QStringLiteral("SpeedButton3"));

    chartCombine = makeChart(pages[3], QStringLiteral("chartCombine"), chartPlace, locale);
    gridCombine = makeListingGrid(pages[3], QStringLiteral("gridCombine"), 7, 11,
                                  {119, 97, 78, 86, 71, 85, 72});
    const std::array<QRadioButton *, 3> combine =
        makeViewButtons(pages[3], QStringLiteral("rbCombine"));
    rgCombine0 = combine[0];
    rgCombine0->setObjectName(QStringLiteral("rgCombine0"));
    rbCombine1 = combine[1];
    rbCombine2 = combine[2];
    SpeedButton4 = makeNoteButton(pages[3], QStringLiteral("SpeedButton4"));

    connect(SpeedButton1, &QToolButton::clicked, this, &DatePages::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &DatePages::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &DatePages::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &DatePages::SpeedButton4Click);
}

void DatePages::fillGridDates(StringGrid *grid, const QString &title,
                              const std::array<double, kAgeBuckets> &counts,
                              const std::array<double, kAgeBuckets> &bytes)
{
    const LocaleSeparators &locale = m_context.services.locale;
    grid->setSelection(20, 20); // no row shows highlighted
    grid->setRowTexts(
        0, {title, QStringLiteral("Total file size"), QStringLiteral("Number of files")});
    for (int row = 1; row <= kAgeBuckets; ++row) {
        const auto bucket = static_cast<std::size_t>(kAgeBuckets - row);
        grid->setRowTexts(row, {toQt(ageBucketLabel(static_cast<int>(bucket))),
                                toQt(formatWhole(bytes[bucket], locale)),
                                toQt(formatWhole(counts[bucket], locale))});
    }
}

void DatePages::fillCombinedGridDates()
{
    const Statistics &s = m_context.statistics();
    const LocaleSeparators &locale = m_context.services.locale;
    gridCombine->setSelection(20, 20);
    gridCombine->setRowTexts(0, {QStringLiteral("Combined dates"), QStringLiteral("Access Size"),
                                 QStringLiteral("Access # files"), QStringLiteral("Create Size"),
                                 QStringLiteral("Create # files"), QStringLiteral("Modify Size"),
                                 QStringLiteral("Modify # files")});
    const auto count = [&locale](double n) {
        return toQt(formatInt(static_cast<std::int64_t>(n), locale));
    };
    for (int row = 1; row <= kAgeBuckets; ++row) {
        const auto k = static_cast<std::size_t>(kAgeBuckets - row);
        // The labels come from the Modified table, which is filled just before.
        gridCombine->setRowTexts(
            row, {gridModify->cell(0, row), toQt(formatWhole(s.accessAgeBytes[k], locale)),
                  count(s.accessAgeCount[k]), toQt(formatWhole(s.createdAgeBytes[k], locale)),
                  count(s.createdAgeCount[k]), toQt(formatWhole(s.modifiedAgeBytes[k], locale)),
                  count(s.modifiedAgeCount[k])});
    }
}

void DatePages::doFileAges() {}

void DatePages::SpeedButton1Click()
{
    showInfo(kAccessNote);
}
void DatePages::SpeedButton2Click()
{
    showInfo(kCreatedNote);
}
void DatePages::SpeedButton3Click()
{
    showInfo(kModifiedNote);
}
void DatePages::SpeedButton4Click()
{
    showInfo(kCombinedNote);
}

} // namespace vorin
