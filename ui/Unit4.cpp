#include "ui/Unit4.h"

#include "ui/Unit1.h"

namespace kiroku::ui {

TForm4* Form4 = nullptr;

namespace {
constexpr PickerPlace kPlaces[11] = {{56, 88, 97, 57},   {184, 88, 89, 57},  {304, 88, 97, 57},  {424, 88, 97, 57},
                                     {544, 88, 97, 57},  {56, 176, 97, 57},  {184, 176, 89, 57}, {304, 176, 97, 57},
                                     {424, 176, 89, 57}, {544, 176, 97, 57}, {448, 328, 121, 65}};
}  // namespace

TForm4::TForm4() : PickerForm("Form4", QStringLiteral("項目４"), 177, 105, 766, 560, kPlaces) {
  Form4 = this;
  FormCreate();
}

TForm4::~TForm4() {
  if (Form4 == this) Form4 = nullptr;
}

void TForm4::ChoiceClick(int n) { Rec().EnterItem3(n, Caption(button(n))); }
void TForm4::Button11Click() { Rec().CorrectItem2(); }

}  // namespace kiroku::ui
