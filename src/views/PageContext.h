#pragma once

#include "views/Services.h"

#include <functional>

class QTimer;

namespace vorin {

class Notebook;
class Palette;
struct Figure;
struct Statistics;

// What a result page is handed by the window that holds it: the machine's
// services (drives, file-type registry, number separators), the shared
// palette, the window's two animation timers, the notebook (its current page,
// and the switch of the Overhang tab) and the figures of the last run as a
// plain record. A page knows nothing of the run that fills that record.
struct PageContext
{
    Services &services;
    Palette &aColors;
    Notebook &notebook;
    QTimer &Timer1; // pie rotation, 50 ms
    QTimer &Timer2; // bar depth, 50 ms
    std::function<const Statistics &()> statistics;
    // Opens the list of a figure's files; empty while no window listens.
    std::function<void(const Figure &)> showFiles{};
    // The figures of the earlier scan the pages compare with; nullptr (or
    // empty) while no comparison is chosen.
    std::function<const Statistics *()> earlier{};

    [[nodiscard]] const Statistics *earlierStatistics() const { return earlier ? earlier() : nullptr; }
};

} // namespace vorin
