#pragma once

class QWidget;

namespace vorin {

class DrawGrid;
class Notebook;
class PickList;

// Makes the self-drawn widgets readable by screen readers: the notebook as a
// list of page tabs, the pick lists as lists of check-box items, the grids as
// tables with column headers, the heading labels as headings or static text.
// Qt asks the installed factory whenever an assistive tool first looks at
// one of these widgets; call this once at start, before windows are shown.
// Calling it again does nothing.
void installWidgetAccessibility();

// What the widgets tell assistive tools as their state changes; each costs a
// flag test while no tool listens.
namespace accessibility {

void pageChanged(Notebook &notebook, int index);
void pageStateChanged(Notebook &notebook, int index);
void pickRowChanged(PickList &list, int row);
void pickCurrentChanged(PickList &list, int row);
void gridCurrentChanged(DrawGrid &grid);

} // namespace accessibility

} // namespace vorin
