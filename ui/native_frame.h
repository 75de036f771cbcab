#pragma once
#include <QSize>
#include <QWidget>

namespace kiroku::ui {

// The size of a shown window's outer frame as the window system draws it, in
// the widget's own pixels. Qt's own figure can be short of it where the
// system draws the frame at a scale Qt does not know of.
QSize NativeFrameSize(const QWidget* window);

}  // namespace kiroku::ui
