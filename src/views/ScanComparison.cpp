#include "views/ScanComparison.h"

#include "engine/History.h"
#include "support/Utility.h"
#include "views/Services.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
#include <map>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLocale>

namespace vorin {

ScanComparison::ScanComparison(QWidget *window, Services &services)
    : QObject(window), m_services(services)
{
    lblCompare = new QLabel(QStringLiteral("Compare &with"), window);
    lblCompare->setObjectName(QStringLiteral("lblCompare"));
    lblCompare->setGeometry(8, 388, 90, 18);
    cbCompare = new QComboBox(window);
    cbCompare->setObjectName(QStringLiteral("cbCompare"));
    cbCompare->setGeometry(100, 385, 148, 23);
    cbCompare->setToolTip(QStringLiteral("Show what changed since an earlier scan"));
    lblCompare->setBuddy(cbCompare);
    cbCompare->addItem(QStringLiteral("(none)"));
    connect(cbCompare, &QComboBox::activated, this, &ScanComparison::choose);
}

QString ScanComparison::whenText(std::int64_t takenAt)
{
    const QDateTime when = QDateTime::fromSecsSinceEpoch(takenAt);
    return QLocale().toString(when, QLocale::ShortFormat);
}

void ScanComparison::refill(const std::vector<Place> &places, std::int64_t before)
{
    std::map<std::int64_t, std::vector<KeptScan>> byRun;
    m_problem.clear();
    if (ScanHistory *history = m_services.history) {
        try {
            for (const Place &place : places)
                for (const KeptScan &scan : history->scans(place.root))
                    if (scan.takenAt < before && scan.identity == place.identity)
                        byRun[scan.run].push_back(scan);
        } catch (const HistoryError &e) {
            byRun.clear();
            m_problem = toQt(e.what());
        }
    }
    // Newest first; a drive kept twice in one run counts with its last scan.
    m_runs.clear();
    for (auto it = byRun.rbegin(); it != byRun.rend(); ++it) {
        std::vector<KeptScan> scans;
        for (const KeptScan &scan : it->second) {
            const auto same = std::find_if(scans.begin(), scans.end(), [&](const KeptScan &s) {
                return s.place == scan.place;
            });
            if (same == scans.end())
                scans.push_back(scan);
            else if (scan.takenAt >= same->takenAt)
                *same = scan;
        }
        m_runs.push_back(std::move(scans));
    }
    cbCompare->clear();
    cbCompare->addItem(QStringLiteral("(none)"));
    for (const std::vector<KeptScan> &run : m_runs) {
        std::int64_t files = 0;
        for (const KeptScan &scan : run)
            files += scan.files;
        QString text = whenText(run.front().takenAt) + QStringLiteral(", ") +
                       toQt(formatWhole(double(files), m_services.locale)) +
                       QStringLiteral(" files");
        // A run that kept fewer of these drives says which it kept.
        if (places.size() > 1 && run.size() < places.size())
            for (const KeptScan &scan : run)
                text += QStringLiteral(", ") + toQt(scan.drive);
        cbCompare->addItem(text);
    }
    cbCompare->setEnabled(!m_runs.empty());
    const bool wasComparing = m_earlier.has_value();
    m_earlier.reset();
    m_chosen.reset();
    cbCompare->setCurrentIndex(0);
    if (wasComparing)
        emit changed();
}

void ScanComparison::choose(int index)
{
    m_earlier.reset();
    m_chosen.reset();
    if (index >= 1 && static_cast<std::size_t>(index) <= m_runs.size() && m_services.history) {
        const std::vector<KeptScan> &run = m_runs[static_cast<std::size_t>(index - 1)];
        try {
            // The drives of a run, added together as the run's pages add them.
            Statistics sum;
            for (const KeptScan &scan : run)
                sum.merge(statisticsOf(m_services.history->figures(scan.id)));
            m_earlier = std::move(sum);
            m_chosen = run.front();
            m_problem.clear();
        } catch (const HistoryError &e) {
            m_problem = toQt(e.what());
            cbCompare->setCurrentIndex(0);
        }
    }
    emit changed();
}

QString ScanComparison::statusText() const
{
    if (!m_chosen)
        return {};
    return QStringLiteral("Compared with the scan of ") + whenText(m_chosen->takenAt);
}

} // namespace vorin
