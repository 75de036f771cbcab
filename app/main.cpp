#include <QApplication>
#include <QStandardPaths>

#include "setup/setup_sheet.h"
#include "ui/Unit1.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kiroku::ui::InitApplication();
  kiroku::ui::CreateForms();
  // The journal of this run, in the user's data folder (kiroku-recover looks
  // there by the same application name). It starts after the screens'
  // creation, which every run and every replay does alike.
  const QString folder =
      QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/journal");
  kiroku::JournalWriter journal(folder.toUtf8().toStdString());
  kiroku::AttachJournal(kiroku::ui::Sheet(), kiroku::ui::Rec(), &journal);
  kiroku::ui::Form1->show();
  const int result = QApplication::exec();
  journal.record(kiroku::record::kEnd);
  kiroku::AttachJournal(kiroku::ui::Sheet(), kiroku::ui::Rec(), nullptr);
  kiroku::ui::DestroyForms();
  return result;
}
