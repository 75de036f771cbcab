#include "ui/Unit3.h"

#include "ui/Unit1.h"

namespace kiroku::ui {

TForm3* Form3 = nullptr;

namespace {
constexpr PickerPlace kPlaces[11] = {{72, 80, 97, 49},   {192, 80, 89, 49},  {304, 80, 89, 49},  {416, 80, 81, 49},
                                     {520, 80, 81, 49},  {72, 168, 97, 49},  {192, 168, 89, 49}, {304, 168, 89, 49},
                                     {416, 168, 81, 49}, {520, 168, 89, 49}, {512, 368, 105, 57}};
}  // namespace

TForm3::TForm3() : PickerForm("Form3", QStringLiteral("項目２"), 152, 98, 790, 570, kPlaces) {
  Form3 = this;
  FormCreate();
}

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::ChoiceClick(int n) { Rec().EnterItem2(n, Caption(button(n))); }
void TForm3::Button11Click() { Rec().CorrectItem1(); }

}  // namespace kiroku::ui
