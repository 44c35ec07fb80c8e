#pragma once

// A result page on its own: the notebook, palette, timers and figures that
// the statistics window would hand it, with a Statistics record the test
// fills directly. No run, no walk.

#include "engine/Statistics.h"
#include "views/PageContext.h"
#include "views/Palette.h"
#include "widgets/Notebook.h"

#include <QAccessible>
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

// The next `count` widgets that Tab stops at after `start`, as the window
// would go through them: those that take the focus by Tab, shown and enabled.
inline QList<QWidget *> tabStops(QWidget &start, int count)
{
    QList<QWidget *> stops;
    for (QWidget *w = start.nextInFocusChain(); w != &start && stops.size() < count;
         w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(w->window()) && w->isEnabled())
            stops << w;
    return stops;
}

// The widgets a screen reader names `widget` by (labels whose buddy it is).
inline QList<QObject *> labelledBy(QWidget *widget)
{
    QList<QObject *> labels;
    for (const auto &relation :
         QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label))
        labels << relation.first->object();
    return labels;
}

} // namespace vorin::testing
