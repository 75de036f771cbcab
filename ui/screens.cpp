#include "ui/screens.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit5.h"
#include "ui/cp932.h"
#include "ui/kform.h"

namespace kiroku::ui {

namespace {
ErrorBox g_errorBox;
QuestionBox g_questionBox;
WarningBox g_warningBox;

void MessageBoxError(const QString& caption, const QString& message) {
  QMessageBox box(QMessageBox::Critical, caption, message, QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}
}  // namespace

KForm* FormOf(Form form) {
  switch (form) {
    case Form::Form1: return Form1;
    case Form::Form2: return Form2;
    case Form::Form3: return Form3;
    case Form::Form4: return Form4;
    case Form::Form5: return Form5;
  }
  return nullptr;
}

void ShowBehindAnyPicker(KForm* screen) {
  KForm* picker = Form4->isVisible() ? static_cast<KForm*>(Form4) : Form3->isVisible() ? Form3 : nullptr;
  screen->setAttribute(Qt::WA_ShowWithoutActivating, picker != nullptr);
  screen->show();
  screen->raise();
  if (picker) {
    picker->raise();
    picker->activateWindow();
  } else {
    screen->activateWindow();
  }
}

QtScreens& Screens() {
  static QtScreens screens;
  return screens;
}

void QtScreens::showForm(Form form) {
  if (deferred_) {
    (*deferred_)[form] = true;
    return;
  }
  if (KForm* f = FormOf(form)) {
    f->show();
    f->raise();
    f->activateWindow();
  }
}

void QtScreens::closeForm(Form form) {
  if (deferred_ && form != Form::Form1) {
    (*deferred_)[form] = false;
    return;
  }
  KForm* f = FormOf(form);
  if (!f) return;
  if (form == Form::Form1)
    f->close();  // the main screen: ends the program
  else
    f->hide();   // a secondary screen keeps all it holds
}

void QtScreens::setButtonEnabled(Form form, int button, bool enabled) {
  if (KForm* f = FormOf(form))
    if (auto* b = f->button(button)) b->setEnabled(enabled);
}

void QtScreens::setButtonVisible(Form form, int button, bool visible) {
  if (KForm* f = FormOf(form))
    if (auto* b = f->button(button)) b->setVisible(visible);
}

void QtScreens::setButtonCaption(Form form, int button, const Text& caption) {
  if (KForm* f = FormOf(form))
    if (auto* b = f->button(button)) KForm::SetCaption(b, caption);
}

void QtScreens::setPanelCaption(Form form, int panel, const Text& caption) {
  if (KForm* f = FormOf(form))
    if (auto* p = f->panel(panel)) KForm::SetCaption(p, caption);
}

Text QtScreens::panelCaption(Form form, int panel) const {
  if (KForm* f = FormOf(form))
    if (auto* p = f->panel(panel)) return KForm::Caption(p);
  return {};
}

void QtScreens::setTimerEnabled(Form form, int timer, bool enabled) {
  if (KForm* f = FormOf(form))
    if (auto* t = f->timer(timer)) {
      if (enabled)
        t->start();
      else
        t->stop();
    }
}

std::map<Form, bool> QtScreens::endDeferring() {
  std::map<Form, bool> wanted = deferred_.value_or(std::map<Form, bool>{});
  deferred_.reset();
  return wanted;
}

void SetQuestionBox(QuestionBox box) { g_questionBox = std::move(box); }

void Ask(const QString& message, const QString& yes, const QString& no, std::function<void(bool)> answer) {
  const QString caption = QApplication::applicationName();
  if (g_questionBox) {
    answer(g_questionBox(caption, message));
    return;
  }
  // Modal to the whole program, but without an event loop of its own: the
  // handler that asked has returned before the answer comes.
  auto* box = new QMessageBox(QMessageBox::Question, caption, message, QMessageBox::NoButton);
  QPushButton* yesButton = box->addButton(yes, QMessageBox::AcceptRole);
  QPushButton* noButton = box->addButton(no, QMessageBox::RejectRole);
  box->setDefaultButton(yesButton);
  box->setEscapeButton(noButton);  // Escape and the close control
  box->setWindowModality(Qt::ApplicationModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(box, &QMessageBox::finished, box,
                   [box, yesButton, answer = std::move(answer)] { answer(box->clickedButton() == yesButton); });
  box->show();
}

void SetWarningBox(WarningBox box) { g_warningBox = std::move(box); }

void Warn(const QString& message) {
  const QString caption = QApplication::applicationName();
  if (g_warningBox) {
    g_warningBox(caption, message);
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Warning, caption, message, QMessageBox::Ok);
  box->setWindowModality(Qt::NonModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
}

void WarnAndWait(const QString& message) {
  const QString caption = QApplication::applicationName();
  if (g_warningBox) {
    g_warningBox(caption, message);
    return;
  }
  QMessageBox box(QMessageBox::Warning, caption, message, QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

void SetErrorBox(ErrorBox box) { g_errorBox = std::move(box); }

void Guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const IoError& e) {
    const QString caption = QApplication::applicationName();
    const QString message = FromCp932(e.message());
    if (g_errorBox)
      g_errorBox(caption, message);
    else
      MessageBoxError(caption, message);
  }
}

}  // namespace kiroku::ui
