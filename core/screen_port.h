#pragma once
#include "core/text.h"

namespace kiroku {

enum class Form { Form1 = 1, Form2, Form3, Form4, Form5 };

// All that the logic below the screens needs of them. The Qt screens
// implement it; tests fake it. Buttons, panels and timers are named by their
// number on their screen (Button36 of Form2 is {Form::Form2, 36}).
class ScreenPort {
 public:
  virtual ~ScreenPort() = default;
  virtual void showForm(Form form) = 0;   // visible, in front, active
  virtual void closeForm(Form form) = 0;  // hidden, contents kept
  virtual void setButtonEnabled(Form form, int button, bool enabled) = 0;
  virtual void setButtonVisible(Form form, int button, bool visible) = 0;
  virtual void setButtonCaption(Form form, int button, const Text& caption) = 0;
  virtual void setPanelCaption(Form form, int panel, const Text& caption) = 0;
  virtual Text panelCaption(Form form, int panel) const = 0;
  virtual void setTimerEnabled(Form form, int timer, bool enabled) = 0;
};

}  // namespace kiroku
