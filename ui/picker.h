#pragma once
#include "ui/kform.h"

namespace kiroku::ui {

struct PickerPlace {
  int left, top, width, height;
};

// What the two pickers share: ten choice buttons and 修正 as Button1 to
// Button11, and the window's close control acting as 修正, so that an event is
// never left half entered with the player buttons locked.
class PickerForm : public KForm {
  Q_OBJECT

 public:
  PickerForm(const char* name, const QString& caption, int left, int top, int width, int height,
             const PickerPlace (&places)[11]);
  void FormCreate() { setHatched(); }
  virtual void ChoiceClick(int n) = 0;  // Button1Click ... Button10Click
  virtual void Button11Click() = 0;     // 修正

 protected:
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace kiroku::ui
