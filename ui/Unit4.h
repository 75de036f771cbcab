#pragma once
#include "ui/kform.h"

namespace kiroku::ui {

// The item-3 picker.
class TForm4 : public KForm {
  Q_OBJECT

 public:
  TForm4();
  ~TForm4() override;
  void FormCreate() { setHatched(); }
  void ChoiceClick(int n);  // Button1Click ... Button10Click
  void Button11Click();     // 修正

 protected:
  // Closed through the window: the same as 修正 (back to the item-2 picker).
  void closeEvent(QCloseEvent* event) override;
};

extern TForm4* Form4;

}  // namespace kiroku::ui
