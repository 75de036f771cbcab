#include "ui/picker.h"

#include <QCloseEvent>

#include "ui/journal_warning.h"
#include "ui/quit_watch.h"

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
      connect(b, &QPushButton::clicked, this, [this, n] {
        ChoiceClick(n);
        ShowPendingWarning();
      });
    else
      connect(b, &QPushButton::clicked, this, [this] {
        Button11Click();
        ShowPendingWarning();
      });
  }
}

void PickerForm::closeEvent(QCloseEvent* event) {
  const bool wasShown = isVisible();
  event->accept();
  // The windows Qt closes as the program ends are left as they stood, so
  // that the journal keeps what the operator last saw.
  if (wasShown && !ProgramEnding()) {
    Button11Click();
    ShowPendingWarning();
  }
}

}  // namespace kiroku::ui
