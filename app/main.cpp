#include <QApplication>

#include "app/journal_folder.h"
#include "app/session_end.h"
#include "journal/journal.h"
#include "setup/setup_sheet.h"
#include "ui/Unit1.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kiroku::ui::InitApplication();
  kiroku::ui::CreateForms();
  // The journal of this run. It starts after the screens' creation, which
  // every run and every replay does alike.
  kiroku::JournalWriter journal(JournalFolder());
  kiroku::AttachJournal(kiroku::ui::Sheet(), kiroku::ui::Rec(), &journal);
  EndNormallyWhenTheSystemEndsTheRun(journal);
  kiroku::ui::Form1->show();
  const int result = QApplication::exec();
  journal.record(kiroku::record::kEnd);
  kiroku::AttachJournal(kiroku::ui::Sheet(), kiroku::ui::Rec(), nullptr);
  kiroku::ui::DestroyForms();
  return result;
}
