#include "ui/Unit3.h"

#include <QCloseEvent>

#include "ui/Unit1.h"

namespace kiroku::ui {

TForm3* Form3 = nullptr;

namespace {
constexpr PickerPlace kPlaces[11] = {{72, 80, 97, 49},   {192, 80, 89, 49},  {304, 80, 89, 49},  {416, 80, 81, 49},
                                     {520, 80, 81, 49},  {72, 168, 97, 49},  {192, 168, 89, 49}, {304, 168, 89, 49},
                                     {416, 168, 81, 49}, {520, 168, 89, 49}, {512, 368, 105, 57}};
}  // namespace

void AddPickerButtons(KForm* form, const PickerPlace (&places)[11]) {
  for (int n = 1; n <= 11; ++n) {
    const auto& p = places[n - 1];
    QPushButton* b =
        form->addButton(n, n == 11 ? QStringLiteral("修正") : QStringLiteral("Button%1").arg(n), p.left, p.top,
                        p.width, p.height);
    if (n > 1) QWidget::setTabOrder(form->button(n - 1), b);
  }
}

TForm3::TForm3() : KForm("Form3", QStringLiteral("項目２"), 152, 98, 790, 570, clBlue) {
  Form3 = this;
  AddPickerButtons(this, kPlaces);
  for (int n = 1; n <= 10; ++n) connect(button(n), &QPushButton::clicked, this, [this, n] { ChoiceClick(n); });
  connect(button(11), &QPushButton::clicked, this, &TForm3::Button11Click);
  FormCreate();
}

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::ChoiceClick(int n) { Rec().EnterItem2(n, Caption(button(n))); }
void TForm3::Button11Click() { Rec().CorrectItem1(); }

void TForm3::closeEvent(QCloseEvent* event) {
  const bool wasShown = isVisible();
  event->accept();
  if (wasShown) Button11Click();
}

}  // namespace kiroku::ui
