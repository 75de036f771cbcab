#pragma once
#include "ui/picker.h"

namespace kiroku::ui {

// The item-2 picker.
class TForm3 : public PickerForm {
  Q_OBJECT

 public:
  TForm3();
  ~TForm3() override;
  void ChoiceClick(int n) override;
  void Button11Click() override;
};

extern TForm3* Form3;

}  // namespace kiroku::ui
