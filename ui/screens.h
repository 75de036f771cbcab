#pragma once
#include <QString>
#include <functional>
#include <map>
#include <optional>

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

  // While a journal is replayed into the screens, no window is shown or
  // hidden press by press: only which ones should be is kept, and given
  // back when it ends, for the caller to show the last of them at once.
  void deferWindows() { deferred_.emplace(); }
  std::map<Form, bool> endDeferring();

 private:
  std::optional<std::map<Form, bool>> deferred_;
};

QtScreens& Screens();
KForm* FormOf(Form form);

// Shows a screen that only looks on (集計, 通算集計) in front, except that an
// open picker stays in front of it and keeps the next press.
void ShowBehindAnyPicker(KForm* screen);

// Shows a file error to the operator. Tests put their own box in its place,
// so that none of them waits on a modal dialog.
using ErrorBox = std::function<void(const QString& caption, const QString& message)>;
void SetErrorBox(ErrorBox box);  // an empty box restores the message box

// A question in the error box's style, answered by its default button
// (true) or the other one. The answer comes later, once the operator gives
// it; tests answer at once in the box's place.
using QuestionBox = std::function<bool(const QString& caption, const QString& message)>;
void SetQuestionBox(QuestionBox box);  // an empty box restores the message box
void Ask(const QString& message, const QString& yes, const QString& no, std::function<void(bool)> answer);

// A warning in the error box's style that waits for nothing: the screens
// behind it go on taking presses.
using WarningBox = std::function<void(const QString& caption, const QString& message)>;
void SetWarningBox(WarningBox box);  // an empty box restores the message box
void Warn(const QString& message);
// The same warning, answered before anything else goes on: for start-up only.
void WarnAndWait(const QString& message);

// Runs a handler's work; a file error ends it and is shown in the error box.
void Guarded(const std::function<void()>& work);

}  // namespace kiroku::ui
