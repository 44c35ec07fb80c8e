#pragma once

#include "engine/FigureFiles.h"
#include "support/TimeOfDay.h"

#include <functional>
#include <map>
#include <memory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <string>

class QWidget;

namespace vorin {

class FileActions;
class FileListWindow;
class ScanRun;
class Trash;
struct Services;

// The caption of the list of a figure's files: "Files: .ISO on f: [/home/ann/Music]",
// "Files of 1MB - 2MB", "Files modified over 4 years ago", "Files written
// 14:00 - 14:29", "Hidden files", "Files that leave cluster overhang".
[[nodiscard]] QString filesTitle(const Figure &figure, const QStringList &drives,
                                 const TimeOfDayFormat &clock);

// The statistics window's lists of files: one window per figure, made when
// the figure is first asked for and brought to the front when asked again,
// filled from the files the run kept; and what follows a move to the trash:
// the files leave the run's figures (once, as they were counted) and every
// open list, and the window rebuilds its pages. GUI thread; the windows are
// top-level children of the statistics window.
class FileLists final : public QObject
{
    Q_OBJECT

public:
    // run: the run whose figures the lists show (nullptr before the first).
    // trashed: told, after files went to the trash, how many.
    FileLists(QWidget &owner, Services &services, std::function<ScanRun *()> run,
              std::function<void(std::size_t moved)> trashed);
    ~FileLists() override;

    // Opens the list of the figure's files, or raises the one open.
    void show(const Figure &figure);
    // Closes every list: a new run makes their files those of another scan.
    void closeAll();
    // The open list of a figure, or nullptr.
    [[nodiscard]] FileListWindow *window(const Figure &figure) const;

    // What the lists do with files: the desktop's, or a test's.
    void setActions(FileActions *actions) { m_actions = actions; }
    [[nodiscard]] FileActions &actions();

private:
    void filesTrashed(const std::vector<KeptFile> &moved);

    QWidget &m_owner;
    Services &m_services;
    std::function<ScanRun *()> m_run;
    std::function<void(std::size_t)> m_trashed;
    std::map<std::string, QPointer<FileListWindow>> m_windows; // by figure name
    std::unique_ptr<Trash> m_trash;
    std::unique_ptr<FileActions> m_desktop;
    FileActions *m_actions = nullptr;
};

} // namespace vorin
