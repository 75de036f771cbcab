#include "ui/offer.h"

#include "journal/run_names.h"
#include "ui/Unit1.h"
#include "ui/continuation.h"
#include "ui/cp932.h"
#include "ui/offer_answer.h"
#include "ui/screens.h"

namespace kiroku::ui {

namespace {
RunFinder g_find;
RunRetirer g_retire;
}  // namespace

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
  const std::string& folder = JournalFolderInUse();
  std::optional<UnsavedRun> run;
  if (g_find)
    run = g_find();
  else if (!folder.empty())
    run = FindUnsavedRun(folder, OwnJournalPath());
  if (!run) return false;
  Screens().setTimerEnabled(Form::Form1, 1, false);
  RunRetirer retire = g_retire ? g_retire : [folder](const UnsavedRun& r) { return RetireRun(folder, r); };
  Ask(OfferText(*run), QStringLiteral("続きから記録"), QStringLiteral("新しく始める"),
      [run = *run, retire = std::move(retire)](bool goOn) { AnswerOffer(run, goOn, retire); });
  return true;
}

}  // namespace kiroku::ui
