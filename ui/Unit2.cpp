#include "ui/Unit2.h"

#include <memory>

#include "ui/Unit1.h"
#include "ui/Unit6.h"
#include "ui/grid_view.h"
#include "ui/screens.h"

namespace kiroku::ui {

TForm2* Form2 = nullptr;

namespace {
std::unique_ptr<GameClock> g_clock;
TimeSource* g_timeSource = nullptr;
constexpr int kRowTops[] = {248, 296, 360, 408};
}  // namespace

GameClock& Clock() { return *g_clock; }
void SetClockTimeSource(TimeSource* source) { g_timeSource = source; }

TForm2::TForm2() : KForm("Form2", QStringLiteral("項目１"), 150, 95, 795, 584, clBlue) {
  Form2 = this;
  static MonotonicTimeSource monotonic;
  g_clock = std::make_unique<GameClock>(Rec(), g_timeSource ? *g_timeSource : monotonic);

  StringGrid1 = new GridView(Rec().StringGrid1, false, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setGeometry(24, 64, 361, 153);
  StringGrid2 = new GridView(Rec().StringGrid2, false, this);
  StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
  StringGrid2->setGeometry(408, 64, 361, 153);
  QList<QWidget*> tabs{StringGrid1, StringGrid2};

  for (int n = 1; n <= 32; ++n) {
    const int r = (n - 1) / 8, k = (n - 1) % 8;
    QPushButton* b = addButton(n, QStringLiteral("Button%1").arg(n), 80 + 88 * k, kRowTops[r], 73, 41);
    connect(b, &QPushButton::clicked, this, [this, n] { PlayerClick(n); });
    tabs << b;
  }
  QPushButton* start = addButton(33, QStringLiteral("スタート"), 40, 480, 105, 57);
  QPushButton* pause = addButton(34, QStringLiteral("中断/再開"), 192, 480, 105, 57);
  pause->setEnabled(false);
  QPushButton* toSheet = addButton(35, QStringLiteral("画面切り替え"), 592, 480, 105, 57);
  QLabel* clock = addPanel(1, QStringLiteral("00:00"), 600, 16, 105, 41);
  clock->setFont(ScreenFont(19));
  QPushButton* correct = addButton(36, QStringLiteral("修正"), 328, 480, 105, 57);
  correct->setEnabled(false);
  QPushButton* tally = addButton(37, QStringLiteral("集計"), 460, 480, 105, 57);
  addPanel(2, QStringLiteral("Panel2"), 24, 8, 89, 41, clAqua);
  addPanel(3, QStringLiteral("Panel3"), 408, 8, 89, 41, clFuchsia);
  addPanel(4, QStringLiteral("Panel4"), 8, 272, 65, 41, clAqua);
  addPanel(5, QStringLiteral("Panel5"), 8, 376, 65, 41, clFuchsia);
  SetTabChain(tabs << start << pause << toSheet << correct << tally);

  connect(start, &QPushButton::clicked, this, &TForm2::Button33Click);
  connect(pause, &QPushButton::clicked, this, &TForm2::Button34Click);
  connect(toSheet, &QPushButton::clicked, this, &TForm2::Button35Click);
  connect(correct, &QPushButton::clicked, this, &TForm2::Button36Click);
  connect(tally, &QPushButton::clicked, this, &TForm2::Button37Click);
  connect(addTimer(1, 500), &QTimer::timeout, this, &TForm2::Timer1Timer);

  FormCreate();
}

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::FormCreate() {
  setHatched();
  Clock().FormCreate();
  Rec().SetUpEventGrids();
}

void TForm2::PlayerClick(int n) {
  const int team = n <= 16 ? 1 : 2;
  Rec().EnterItem1(team, team == 1 ? n : n - 16, Caption(button(n)));
}

void TForm2::Button33Click() { Clock().Start(); }
void TForm2::Button34Click() { Clock().PauseResume(); }
void TForm2::Button35Click() { Screens().showForm(Form::Form1); }
void TForm2::Button36Click() { Rec().CorrectItem3(); }
void TForm2::Button37Click() { Form6->Open(); }
void TForm2::Timer1Timer() { Clock().Tick(); }

}  // namespace kiroku::ui
