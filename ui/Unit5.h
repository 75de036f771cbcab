#pragma once
#include <QButtonGroup>
#include <QGroupBox>

#include "ui/kform.h"

namespace kiroku::ui {

// The start-up choice: begin with the defaults, or read the backup file.
class TForm5 : public KForm {
  Q_OBJECT

 public:
  TForm5();
  ~TForm5() override;
  void FormCreate() { setHatched(); }
  void Button1Click();  // OK
  void Timer1Timer();
  int itemIndex() const { return items_->checkedId(); }  // -1 until one is chosen

  QGroupBox* RadioGroup1 = nullptr;

 private:
  QButtonGroup* items_ = nullptr;
};

extern TForm5* Form5;

}  // namespace kiroku::ui
