#include "ui/journal_warning.h"

#include <QCoreApplication>

#include "ui/Unit1.h"
#include "ui/screens.h"

namespace kiroku::ui {

namespace {
enum Warning { kFailing, kPartlyRead, kWarnings };
bool g_waits[kWarnings] = {};
bool g_warned[kWarnings] = {};

bool EventUnderWay() {
  const int team = Rec().CurrentEvent.team;
  return (team == 1 || team == 2) && Rec().cursor(team).column != 0;
}

void Pend(Warning w) {
  if (g_warned[w]) return;
  g_waits[w] = true;
  ShowPendingWarning();
}
}  // namespace

void ResetJournalWarnings() {
  for (int w = 0; w < kWarnings; ++w) g_waits[w] = g_warned[w] = false;
}

QString JournalWarningText() {
  return QStringLiteral(
      "記録の控え（ジャーナル）を保存できません。停電や強制終了のときは記録が失われます。試合の後、必ず「データ保存」を押してください。");
}

QString PartlyReadWarningText() {
  return QStringLiteral(
      "記録の控え（ジャーナル）の一部が読めませんでした。読めたところまでを復元しました。試合の後、必ず「データ保存」を押してください。");
}

void JournalFailing() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  QMetaObject::invokeMethod(app, [] { Pend(kFailing); }, Qt::QueuedConnection);
}

void JournalPartlyRead() { Pend(kPartlyRead); }

void ShowPendingWarning() {
  // Never between a player press and its item-3 press: it waits for the
  // event to be completed or taken back.
  if (EventUnderWay()) return;
  for (Warning w : {kPartlyRead, kFailing}) {
    if (!g_waits[w] || g_warned[w]) continue;
    g_waits[w] = false;
    g_warned[w] = true;
    Warn(w == kFailing ? JournalWarningText() : PartlyReadWarningText());
  }
}

}  // namespace kiroku::ui
