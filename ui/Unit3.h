#pragma once
#include "ui/kform.h"

namespace kiroku::ui {

// The item-2 picker.
class TForm3 : public KForm {
  Q_OBJECT

 public:
  TForm3();
  ~TForm3() override;
  void FormCreate() { setHatched(); }
  void ChoiceClick(int n);  // Button1Click ... Button10Click
  void Button11Click();     // 修正

 protected:
  // Closed by the operator through the window: the same as 修正, so that the
  // event is never left half entered with the player buttons locked.
  void closeEvent(QCloseEvent* event) override;
};

extern TForm3* Form3;

struct PickerPlace {
  int left, top, width, height;
};
// Lays out ten choice buttons and 修正 as Button1 to Button11 of a picker.
void AddPickerButtons(KForm* form, const PickerPlace (&places)[11]);

}  // namespace kiroku::ui
