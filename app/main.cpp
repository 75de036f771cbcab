#include <QApplication>

#include <cstdio>
#include <cstring>

#include "app/journal_folder.h"
#include "app/session_end.h"
#include "journal/journal.h"
#include "setup/setup_sheet.h"
#include "ui/application.h"
#include "ui/continuation.h"
#include "ui/cp932.h"
#include "ui/Unit1.h"

namespace {

constexpr const char kLicence[] =
    "Copyright (C) 2026 kiroku developers\n"
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://www.gnu.org/licenses/gpl-3.0.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// Answered before any window or journal exists, so that asking costs nothing.
bool AnswerOption(const char* option) {
  if (std::strcmp(option, "--version") == 0) {
    std::printf("kiroku %s\n%s", KIROKU_VERSION, kLicence);
    return true;
  }
  if (std::strcmp(option, "--help") == 0) {
    std::printf(
        "Usage: kiroku [--help | --version]\n"
        "Records a game between two teams event by event and writes the event list\n"
        "and the count tables as tab-separated CP932 files into the folder it was\n"
        "started in. Every run keeps a journal for kiroku-recover(1).\n"
        "\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and the licence and exit\n"
        "\n"
        "kiroku %s\n%s",
        KIROKU_VERSION, kLicence);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && AnswerOption(argv[1])) return 0;
  QApplication app(argc, argv);
  kiroku::ui::InitApplication();
  if (!kiroku::ui::Cp932Usable()) return 1;  // before any screen, journal or file
  kiroku::ui::CreateForms();
  // The journal of this run. It starts after the screens' creation, which
  // every run and every replay does alike.
  const std::string folder = JournalFolder();
  kiroku::JournalWriter journal(folder, {.tidyAtStart = false});  // tidied once the sheet is up
  kiroku::ui::UseJournal(&journal, folder);
  EndNormallyWhenTheSystemEndsTheRun(journal);
  kiroku::ui::Form1->show();
  const int result = QApplication::exec();
  journal.record(kiroku::record::kEnd);
  kiroku::ui::UseJournal(nullptr, {});
  kiroku::ui::DestroyForms();
  return result;
}
