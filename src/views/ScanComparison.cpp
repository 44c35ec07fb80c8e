#include "views/ScanComparison.h"

#include "engine/History.h"
#include "support/Utility.h"
#include "views/Services.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
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
    m_scans.clear();
    m_problem.clear();
    if (ScanHistory *history = m_services.history) {
        try {
            for (const Place &place : places) {
                for (const KeptScan &scan : history->scans(place.root))
                    if (scan.takenAt < before && scan.identity == place.identity)
                        m_scans.push_back(scan);
            }
        } catch (const HistoryError &e) {
            m_scans.clear();
            m_problem = toQt(e.what());
        }
    }
    std::sort(m_scans.begin(), m_scans.end(), [](const KeptScan &a, const KeptScan &b) {
        return a.takenAt != b.takenAt ? a.takenAt > b.takenAt : a.id > b.id;
    });
    cbCompare->clear();
    cbCompare->addItem(QStringLiteral("(none)"));
    const bool severalDrives = places.size() > 1;
    for (const KeptScan &scan : m_scans) {
        QString text = whenText(scan.takenAt) + QStringLiteral(", ") +
                       toQt(formatWhole(double(scan.files), m_services.locale)) +
                       QStringLiteral(" files");
        if (severalDrives)
            text += QStringLiteral(", ") + toQt(scan.drive);
        cbCompare->addItem(text);
    }
    cbCompare->setEnabled(!m_scans.empty());
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
    if (index >= 1 && static_cast<std::size_t>(index) <= m_scans.size() && m_services.history) {
        const KeptScan &scan = m_scans[static_cast<std::size_t>(index - 1)];
        try {
            m_earlier = statisticsOf(m_services.history->figures(scan.id));
            m_chosen = scan;
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
