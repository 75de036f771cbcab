#pragma once
#include <QString>
#include <functional>

#include "core/screen_port.h"
#include "files/text_file.h"

namespace kiroku::ui {

class KForm;

// The five screens as the logic below sees them.
class QtScreens : public ScreenPort {
 public:
  void showForm(Form form) override;
  void closeForm(Form form) override;
  void setButtonEnabled(Form form, int button, bool enabled) override;
  void setButtonVisible(Form form, int button, bool visible) override;
  void setButtonCaption(Form form, int button, const Text& caption) override;
  void setPanelCaption(Form form, int panel, const Text& caption) override;
  Text panelCaption(Form form, int panel) const override;
  void setTimerEnabled(Form form, int timer, bool enabled) override;
};

QtScreens& Screens();
KForm* FormOf(Form form);

// Shows a file error to the operator. Tests put their own box in its place,
// so that none of them waits on a modal dialog.
using ErrorBox = std::function<void(const QString& caption, const QString& message)>;
void SetErrorBox(ErrorBox box);  // an empty box restores the message box

// Runs a handler's work; a file error ends it and is shown in the error box.
void Guarded(const std::function<void()>& work);

}  // namespace kiroku::ui
