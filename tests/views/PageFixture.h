#pragma once

// A result page on its own: the notebook, palette, timers and figures that
// the statistics window would hand it, with a Statistics record the test
// fills directly. No run, no walk.

#include "engine/Statistics.h"
#include "views/PageContext.h"
#include "views/Palette.h"
#include "widgets/Notebook.h"

#include <QTimer>

namespace vorin::testing {

struct PageHarness
{
    explicit PageHarness(Services &services)
        : context{services, palette, notebook,
                  timer1,   timer2,  [this]() -> const Statistics & { return stats; }}
    {
        notebook.resize(632, 382);
        for (const char *caption : {"Space", "Types", "Sizes", "Overhang", "Access", "Created",
                                    "Modified", "Combined", "Attribute", "Time"})
            notebook.addPage(QString::fromLatin1(caption));
        timer1.setInterval(50);
        timer2.setInterval(50);
    }

    [[nodiscard]] QWidget *page(int index) const { return notebook.page(index); }

    Notebook notebook;
    Palette palette;
    QTimer timer1;
    QTimer timer2;
    Statistics stats;
    PageContext context;
};

} // namespace vorin::testing
