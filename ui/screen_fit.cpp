#include "ui/screen_fit.h"

#include <algorithm>

namespace kiroku::ui {

QPoint FittedTopLeft(const QRect& frame, const QRect& area) {
  if (frame.width() > area.width() || frame.height() > area.height()) return area.topLeft();
  // QRect's right and bottom are the last pixels inside it.
  const int x = std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1);
  const int y = std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1);
  return {x, y};
}

QPoint BesideTopLeft(const QRect& others, const QRect& frame, const QRect& area) {
  const bool room = area.right() - others.right() >= frame.width();
  const int left = room ? others.right() + 1 : area.right() + 1 - frame.width();
  return FittedTopLeft(QRect(QPoint(left, others.top()), frame.size()), area);
}

}  // namespace kiroku::ui
