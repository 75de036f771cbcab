#include "ui/picker.h"

#include <QCloseEvent>

namespace kiroku::ui {

PickerForm::PickerForm(const char* name, const QString& caption, int left, int top, int width, int height,
                       const PickerPlace (&places)[11])
    : KForm(name, caption, left, top, width, height, clBlue) {
  for (int n = 1; n <= 11; ++n) {
    const auto& p = places[n - 1];
    QPushButton* b = addButton(n, n == 11 ? QStringLiteral("修正") : QStringLiteral("Button%1").arg(n), p.left,
                               p.top, p.width, p.height);
    if (n > 1) setTabOrder(button(n - 1), b);
    if (n <= 10)
      connect(b, &QPushButton::clicked, this, [this, n] { ChoiceClick(n); });
    else
      connect(b, &QPushButton::clicked, this, [this] { Button11Click(); });
  }
}

void PickerForm::closeEvent(QCloseEvent* event) {
  const bool wasShown = isVisible();
  event->accept();
  if (wasShown) Button11Click();
}

}  // namespace kiroku::ui
