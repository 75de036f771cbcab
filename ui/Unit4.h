#pragma once
#include "ui/picker.h"

namespace kiroku::ui {

// The item-3 picker.
class TForm4 : public PickerForm {
  Q_OBJECT

 public:
  TForm4();
  ~TForm4() override;
  void ChoiceClick(int n) override;
  void Button11Click() override;
};

extern TForm4* Form4;

}  // namespace kiroku::ui
