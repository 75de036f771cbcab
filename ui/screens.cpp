#include "ui/screens.h"

#include <QApplication>
#include <QMessageBox>

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

QtScreens& Screens() {
  static QtScreens screens;
  return screens;
}

void QtScreens::showForm(Form form) {
  if (KForm* f = FormOf(form)) {
    f->show();
    f->raise();
    f->activateWindow();
  }
}

void QtScreens::closeForm(Form form) {
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
