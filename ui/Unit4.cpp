#include "ui/Unit4.h"

#include <QCloseEvent>

#include "ui/Unit1.h"
#include "ui/Unit3.h"

namespace kiroku::ui {

TForm4* Form4 = nullptr;

namespace {
constexpr PickerPlace kPlaces[11] = {{56, 88, 97, 57},   {184, 88, 89, 57},  {304, 88, 97, 57},  {424, 88, 97, 57},
                                     {544, 88, 97, 57},  {56, 176, 97, 57},  {184, 176, 89, 57}, {304, 176, 97, 57},
                                     {424, 176, 89, 57}, {544, 176, 97, 57}, {448, 328, 121, 65}};
}  // namespace

TForm4::TForm4() : KForm("Form4", QStringLiteral("項目４"), 177, 105, 766, 560, clBlue) {
  Form4 = this;
  AddPickerButtons(this, kPlaces);
  for (int n = 1; n <= 10; ++n) connect(button(n), &QPushButton::clicked, this, [this, n] { ChoiceClick(n); });
  connect(button(11), &QPushButton::clicked, this, &TForm4::Button11Click);
  FormCreate();
}

TForm4::~TForm4() {
  if (Form4 == this) Form4 = nullptr;
}

void TForm4::ChoiceClick(int n) { Rec().EnterItem3(n, Caption(button(n))); }
void TForm4::Button11Click() { Rec().CorrectItem2(); }

void TForm4::closeEvent(QCloseEvent* event) {
  const bool wasShown = isVisible();
  event->accept();
  if (wasShown) Button11Click();
}

}  // namespace kiroku::ui
