#include <windows.h>

#include <cmath>

#include "ui/native_frame.h"

namespace kiroku::ui {

QSize NativeFrameSize(const QWidget* window) {
  const QSize qt = window->frameGeometry().size();
  RECT r{};
  const HWND hwnd = reinterpret_cast<HWND>(window->winId());
  if (!hwnd || !::GetWindowRect(hwnd, &r)) return qt;
  // The window's rectangle is in physical pixels.
  const qreal ratio = window->devicePixelRatioF();
  const int width = static_cast<int>(std::ceil((r.right - r.left) / ratio));
  const int height = static_cast<int>(std::ceil((r.bottom - r.top) / ratio));
  return qt.expandedTo(QSize(width, height));
}

}  // namespace kiroku::ui
