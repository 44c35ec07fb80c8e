#include "engine/FigureListing.h"

#include "engine/Drives.h"
#include "platform/DirectoryReader.h"
#include "platform/Volumes.h"
#include "support/Utility.h"

#include <utility>

namespace vorin {

FigureListing::FigureListing(const Volumes &volumes, ScanRecipe recipe, Figure figure)
    : m_volumes(volumes), m_recipe(std::move(recipe)), m_figure(std::move(figure)),
      m_found(KeepOptions{kEveryFile, m_figure})
{
    if (!m_recipe.reader) {
        m_ownReader = makeDirectoryReader();
        m_recipe.reader = m_ownReader.get();
    }
}

FigureListing::~FigureListing() = default;

void FigureListing::run()
{
    m_found.clear();
    m_complete = false;
    m_drivesWalked = 0;
    // A file linked from one drive of the run into another is listed once,
    // as the scan counted it once.
    LinkedFiles linkedFiles;
    bool complete = true;
    const auto stopped = [this] { return m_stop.load() || (m_interrupt && m_interrupt->load()); };
    for (const std::string &drive : m_recipe.drives) {
        if (stopped())
            break;
        if (drive.empty())
            continue;
        const char letter = asciiLower(drive.front());
        const std::optional<Volume> volume = m_volumes.find(letter);
        if (!volume || volume->root.empty() || !driveReady(m_volumes, letter)) {
            complete = false;
            continue;
        }
        CrunchContext context;
        context.filter = m_recipe.filter.allFiles() ? nullptr : &m_recipe.filter;
        context.zone = m_recipe.zone;
        context.today = m_recipe.today;
        context.overhangEnabled = m_recipe.overhangEnabled;
        context.clusterSize = m_recipe.clusterSize;
        context.currentDrive = drive;
        WalkOptions options;
        options.threads = m_recipe.threads > 0 ? m_recipe.threads : m_volumes.walkThreads(letter);
        options.linkedFiles = &linkedFiles;
        options.keep = &m_found;
        options.interrupt = m_interrupt;
        Statistics scratch;
        const WalkResult walked =
            walkTree(*m_recipe.reader, volume->root, context, scratch, m_progress, m_stop, options);
        m_drivesWalked += walked.rootOpened ? 1 : 0;
        complete = complete && walked.rootOpened && !walked.aborted;
    }
    m_total = m_found.total(m_figure);
    m_complete = complete && !stopped();
}

std::vector<KeptFile> FigureListing::takeFiles()
{
    std::vector<KeptFile> files = m_found.files(m_figure);
    m_found.clear();
    return files;
}

} // namespace vorin
