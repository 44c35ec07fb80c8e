#include "views/FileLists.h"

#include "engine/FigureListing.h"
#include "engine/ScanRun.h"
#include "platform/Trash.h"
#include "views/FileActions.h"
#include "views/FileListWindow.h"
#include "views/Services.h"
#include "widgets/WindowSupport.h"

#include <QWidget>

namespace vorin {

namespace {

// "over 4 years", "<= 7 days", "8 - 30 days": a bucket's label as part of a sentence.
QString ageText(int bucket)
{
    QString label = toQt(ageBucketLabel(bucket));
    if (label.startsWith(QLatin1String("Over")))
        label[0] = QLatin1Char('o');
    return label;
}

} // namespace

QString filesTitle(const Figure &figure, const QStringList &drives, const TimeOfDayFormat &clock)
{
    const auto halfHour = [&clock](int slot) {
        const int hours = slot / 2;
        const int minutes = slot % 2 == 0 ? 0 : 30;
        return toQt(formatTimeOfDay(clock, hours, minutes)) + QStringLiteral(" - ") +
               toQt(formatTimeOfDay(clock, hours, minutes + 29));
    };
    const auto dated = [&figure](const char *verb) {
        const QString date = QString::fromLatin1(verb);
        if (figure.index == 0)
            return QStringLiteral("Files with no %1 date recorded").arg(date);
        return QStringLiteral("Files %1 %2 ago").arg(date, ageText(figure.index));
    };
    switch (figure.kind) {
    case FigureKind::Type: {
        const QString key =
            figure.typeKey.empty() ? QStringLiteral("no extension") : toQt(figure.typeKey);
        return QStringLiteral("Files: ") + key + QStringLiteral(" on ") +
               drives.join(QStringLiteral(", "));
    }
    case FigureKind::Size:
        return QStringLiteral("Files of ") + toQt(sizeBandLabel(figure.index));
    case FigureKind::AccessAge:
        return dated("accessed");
    case FigureKind::CreatedAge:
        return dated("created");
    case FigureKind::ModifiedAge:
        return dated("modified");
    case FigureKind::AccessTime:
        return QStringLiteral("Files accessed ") + halfHour(figure.index);
    case FigureKind::CreatedTime:
        return QStringLiteral("Files created ") + halfHour(figure.index);
    case FigureKind::ModifiedTime:
        return QStringLiteral("Files written ") + halfHour(figure.index);
    case FigureKind::Attribute: {
        const char *const names[] = {"Read-only", "Hidden", "System", "Archive"};
        return QString::fromLatin1(names[std::clamp(figure.index, 0, kAttributeFigures - 1)]) +
               QStringLiteral(" files");
    }
    case FigureKind::Overhang:
        return QStringLiteral("Files that leave cluster overhang");
    }
    return QStringLiteral("Files");
}

FileLists::FileLists(QWidget &owner, Services &services, std::function<ScanRun *()> run,
                     std::function<void(std::size_t moved)> trashed)
    : QObject(&owner), m_owner(owner), m_services(services), m_run(std::move(run)),
      m_trashed(std::move(trashed))
{}

FileLists::~FileLists()
{
    closeAll();
}

FileActions &FileLists::actions()
{
    if (m_actions)
        return *m_actions;
    if (!m_desktop) {
        m_trash = makeSystemTrash();
        m_desktop = std::make_unique<DesktopFileActions>(*m_trash);
    }
    return *m_desktop;
}

FileListWindow *FileLists::window(const Figure &figure) const
{
    const auto found = m_windows.find(figureName(figure));
    return found == m_windows.end() ? nullptr : found->second.data();
}

void FileLists::show(const Figure &figure)
{
    ScanRun *run = m_run();
    if (!run || !run->statisticsCollected())
        return;
    if (FileListWindow *open = window(figure)) {
        open->bringToFront();
        return;
    }
    QStringList drives;
    for (const std::string &drive : run->drives())
        drives << toQt(drive);
    const FigureFiles &kept = run->keptFiles();
    auto listAll = [this, figure]() -> std::unique_ptr<FigureListing> {
        ScanRun *current = m_run();
        if (!current)
            return nullptr;
        return std::make_unique<FigureListing>(m_services.volumes, current->recipe(), figure);
    };
    auto *list = new FileListWindow(filesTitle(figure, drives, m_services.timeFormat), figure,
                                    kept.total(figure), kept.files(figure), m_services, actions(),
                                    std::move(listAll), &m_owner);
    list->setWindowFlag(Qt::Window);
    connect(list, &FileListWindow::filesTrashed, this, &FileLists::filesTrashed);
    m_windows[figureName(figure)] = list;
    list->bringToFront();
}

void FileLists::closeAll()
{
    for (auto &[name, list] : m_windows)
        if (list)
            list->close();
    m_windows.clear();
}

void FileLists::filesTrashed(const std::vector<KeptFile> &moved)
{
    ScanRun *run = m_run();
    if (!run || moved.empty())
        return;
    for (const KeptFile &file : moved)
        run->takeAway(file);
    for (auto &[name, list] : m_windows) {
        if (!list)
            continue;
        list->forgetFiles(moved);
        list->setTotal(run->keptFiles().total(list->figure()));
    }
    if (m_trashed)
        m_trashed(moved.size());
}

} // namespace vorin
