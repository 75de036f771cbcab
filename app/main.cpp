#include <QApplication>

#include "app/journal_folder.h"
#include "app/session_end.h"
#include "journal/journal.h"
#include "setup/setup_sheet.h"
#include "ui/application.h"
#include "ui/continuation.h"
#include "ui/Unit1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kiroku::ui::InitApplication();
  kiroku::ui::CreateForms();
  // The journal of this run. It starts after the screens' creation, which
  // every run and every replay does alike.
  const std::string folder = JournalFolder();
  kiroku::JournalWriter journal(folder);
  kiroku::ui::UseJournal(&journal, folder);
  EndNormallyWhenTheSystemEndsTheRun(journal);
  kiroku::ui::Form1->show();
  const int result = QApplication::exec();
  journal.record(kiroku::record::kEnd);
  kiroku::ui::UseJournal(nullptr, {});
  kiroku::ui::DestroyForms();
  return result;
}
