#include "ui/continuation.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include "files/platform_file.h"
#include "journal/run_names.h"
#include "setup/backup.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/cp932.h"
#include "ui/screens.h"

namespace kiroku::ui {

namespace {
JournalWriter* g_journal = nullptr;
std::string g_folder;
RunFinder g_find;
RunRetirer g_retire;
bool g_warningWaits = false;
bool g_warned = false;
bool g_ending = false;

// A quit from anywhere (a signal, the end of the session) may close the
// windows before the event loop ends.
class QuitWatch : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Quit) SetProgramEnding();
    return QObject::eventFilter(watched, event);
  }
};

bool EventUnderWay() {
  const int team = Rec().CurrentEvent.team;
  return (team == 1 || team == 2) && Rec().cursor(team).column != 0;
}
}  // namespace

void UseJournal(JournalWriter* journal, const std::string& folder) {
  if (g_journal && g_journal != journal) g_journal->setOnFailing({});
  g_journal = journal;
  g_folder = folder;
  AttachJournal(Sheet(), Rec(), journal);
  if (journal) journal->setOnFailing(JournalFailing);
}

void BeginRun() {
  g_warningWaits = g_warned = g_ending = false;
  QCoreApplication* app = QCoreApplication::instance();
  static QPointer<QuitWatch> watch;  // one per application, gone with it
  if (app && !watch) {
    watch = new QuitWatch;
    watch->setParent(app);
    app->installEventFilter(watch);
  }
}

void SetUnsavedRuns(RunFinder find, RunRetirer retire) {
  g_find = std::move(find);
  g_retire = std::move(retire);
}

QString OfferText(const UnsavedRun& run) {
  run_names::Stamp s;
  run_names::ParseStamp(run.started, s);
  const QString when =
      QStringLiteral("%1月%2日 %3:%4").arg(s.month).arg(s.day).arg(s.hour).arg(s.minute, 2, 10, QLatin1Char('0'));
  return QStringLiteral("前回の記録は保存されていません。\n（%1 開始、%2 %3 件・%4 %5 件）\n続きから記録しますか？")
      .arg(when, FromCp932(run.team1))
      .arg(run.events[0])
      .arg(FromCp932(run.team2))
      .arg(run.events[1]);
}

bool OfferUnsavedRun() {
  std::optional<UnsavedRun> run;
  if (g_find)
    run = g_find();
  else if (!g_folder.empty())
    run = FindUnsavedRun(g_folder, g_journal ? g_journal->path() : std::string());
  if (!run) return false;
  Screens().setTimerEnabled(Form::Form1, 1, false);
  Ask(OfferText(*run), QStringLiteral("続きから記録"), QStringLiteral("新しく始める"), [run = *run](bool goOn) {
    // Answered either way, the run is never offered again; its journal stays.
    if (g_retire)
      g_retire(run);
    else
      RetireRun(g_folder, run);
    std::string bytes;
    if (goOn && platform::ReadAll(run.path, bytes)) {
      ContinueRun(bytes);
      return;
    }
    if (goOn) Guarded([] { throw IoError(2); });
    ShowStartupChoice(Screens());
  });
  return true;
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

QString JournalWarningText() {
  return QStringLiteral(
      "記録の控え（ジャーナル）を保存できません。停電や強制終了のときは記録が失われます。試合の後、必ず「データ保存」を押してください。");
}

void JournalFailing() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  QMetaObject::invokeMethod(
      app,
      [] {
        if (g_warned) return;
        g_warningWaits = true;
        ShowPendingWarning();
      },
      Qt::QueuedConnection);
}

void ShowPendingWarning() {
  // Never between a player press and its item-3 press: it waits for the
  // event to be completed or taken back.
  if (!g_warningWaits || g_warned || EventUnderWay()) return;
  g_warningWaits = false;
  g_warned = true;
  Warn(JournalWarningText());
}

void SetProgramEnding() { g_ending = true; }
bool ProgramEnding() { return g_ending; }

}  // namespace kiroku::ui
