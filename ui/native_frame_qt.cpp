#include "ui/native_frame.h"

namespace kiroku::ui {

QSize NativeFrameSize(const QWidget* window) { return window->frameGeometry().size(); }

}  // namespace kiroku::ui
