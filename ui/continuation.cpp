#include "ui/continuation.h"

#include <QCoreApplication>

#include <map>

#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/journal_warning.h"
#include "ui/quit_watch.h"
#include "ui/screens.h"

namespace kiroku::ui {

namespace {
JournalWriter* g_journal = nullptr;
std::string g_folder;
}  // namespace

void BeginRun() {
  ResetJournalWarnings();
  WatchForQuit();
}

void UseJournal(JournalWriter* journal, const std::string& folder) {
  if (g_journal && g_journal != journal) g_journal->setOnFailing({});
  g_journal = journal;
  g_folder = folder;
  AttachJournal(Sheet(), Rec(), journal);
  if (journal) journal->setOnFailing(JournalFailing);
}

const std::string& JournalFolderInUse() { return g_folder; }
std::string OwnJournalPath() { return g_journal ? g_journal->path() : std::string(); }
void TidyJournals() {
  if (g_journal) g_journal->tidyUp();
}

void WhenRecordedDurable(std::function<void()> then) {
  if (!g_journal) {
    then();
    return;
  }
  // The writer's thread only passes it on.
  g_journal->whenDurable(g_journal->recorded(), [then = std::move(then)] {
    if (QCoreApplication* app = QCoreApplication::instance())
      QMetaObject::invokeMethod(app, then, Qt::QueuedConnection);
  });
}

ReplaySummary ContinueRun(std::string_view journalBytes) {
  Screens().deferWindows();
  const ReplaySummary summary = ContinueJournal(journalBytes, {Sheet(), Rec(), Clock()});
  std::map<Form, bool> shown = Screens().endDeferring();
  for (Form f : {Form::Form3, Form::Form4})
    if (!shown[f]) Screens().closeForm(f);
  if (summary.switched) {
    Screens().showForm(Form::Form2);
    // A half-entered event: its picker in front of the recording screen.
    for (Form f : {Form::Form3, Form::Form4})
      if (shown[f]) Screens().showForm(f);
  } else {
    Screens().showForm(Form::Form1);
  }
  return summary;
}

}  // namespace kiroku::ui
