#include "ui/offer.h"

#include <string_view>

#include "ui/Unit1.h"
#include "ui/continuation.h"
#include "ui/cp932.h"
#include "ui/offer_answer.h"
#include "ui/screens.h"

namespace kiroku::ui {

namespace {
RunFinder g_find;
RunRetirer g_retire;

int Number(std::string_view s, std::size_t at, std::size_t n) {
  int v = 0;
  for (std::size_t i = at; i < at + n && i < s.size(); ++i) v = v * 10 + (s[i] - '0');
  return v;
}
}  // namespace

void SetUnsavedRuns(RunFinder find, RunRetirer retire) {
  g_find = std::move(find);
  g_retire = std::move(retire);
}

QString OfferText(const UnsavedRun& run) {
  const std::string_view s = run.started;  // YYYYMMDD-HHMMSS
  const QString when = QStringLiteral("%1月%2日 %3:%4")
                           .arg(Number(s, 4, 2))
                           .arg(Number(s, 6, 2))
                           .arg(Number(s, 9, 2))
                           .arg(Number(s, 11, 2), 2, 10, QLatin1Char('0'));
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
  RunRetirer retire = g_retire ? g_retire : [folder](const UnsavedRun& r) { RetireRun(folder, r); };
  Ask(OfferText(*run), QStringLiteral("続きから記録"), QStringLiteral("新しく始める"),
      [run = *run, retire = std::move(retire)](bool goOn) { AnswerOffer(run, goOn, retire); });
  return true;
}

}  // namespace kiroku::ui
