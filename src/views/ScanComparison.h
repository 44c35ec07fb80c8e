#pragma once

#include "engine/Statistics.h"
#include "platform/History.h"

#include <optional>
#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QWidget;

namespace vorin {

struct Services;

// The "Compare with" choice beside the statistics window's command row: the
// earlier runs that kept scans of the drives of the last run, newest first,
// after "(none)". The pages read the figures of the chosen run's scans of
// those drives, added together, through earlier(). GUI thread.
class ScanComparison : public QObject
{
    Q_OBJECT

public:
    ScanComparison(QWidget *window, Services &services);

    // A drive as the history knows it: its root, and the identity of the
    // file system there now (another disk mounted there has other scans).
    struct Place
    {
        std::string root;
        std::string identity;
    };
    // Lists the kept scans of these drives taken before `before` (seconds
    // since 1970: when the run began, so that its own scans are not offered)
    // and chooses "(none)". A history that cannot be read leaves the choice
    // empty and says why.
    void refill(const std::vector<Place> &places, std::int64_t before);
    // The figures of the scan chosen; nullptr for "(none)".
    [[nodiscard]] const Statistics *earlier() const { return m_earlier ? &*m_earlier : nullptr; }
    // "Compared with the scan of <date> <time>"; empty for "(none)".
    [[nodiscard]] QString statusText() const;
    // Why the history could not be read when last asked; empty when it could.
    [[nodiscard]] const QString &problem() const { return m_problem; }
    // A kept scan's time as the window writes it: the user's short date and time.
    [[nodiscard]] static QString whenText(std::int64_t takenAt);

    QLabel *lblCompare = nullptr;
    QComboBox *cbCompare = nullptr;

signals:
    // The choice changed: the pages show the figures with it or without.
    void changed();

private:
    void choose(int index);

    Services &m_services;
    // The earlier runs offered, in the order of the choice's items after
    // "(none)": the scans of the drives of this run that each kept.
    std::vector<std::vector<KeptScan>> m_runs;
    std::optional<Statistics> m_earlier;
    std::optional<KeptScan> m_chosen;
    QString m_problem;
};

} // namespace vorin
