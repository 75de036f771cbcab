#include <QApplication>

#include "ui/Unit1.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kiroku::ui::InitApplication();
  kiroku::ui::CreateForms();
  kiroku::ui::Form1->show();
  const int result = QApplication::exec();
  kiroku::ui::DestroyForms();
  return result;
}
