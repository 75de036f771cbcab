#pragma once
#include <QPoint>
#include <QRect>

namespace kiroku::ui {

// Where a window's frame goes so that all of it lies in a screen's work area:
// where it is, when it fits; moved in by the least, when it sticks out; at the
// area's top-left corner, when it is wider or taller than the area.
QPoint FittedTopLeft(const QRect& frame, const QRect& area);

// Where a window's frame goes to lie right of others, level with their top,
// and cover none of them; at the work area's right edge when the area has
// no room there. Fitted into the area either way.
QPoint BesideTopLeft(const QRect& others, const QRect& frame, const QRect& area);

}  // namespace kiroku::ui
