#include "ui/Unit1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <memory>

#include "export/export.h"
#include "setup/backup.h"
#include "ui/continuation.h"
#include "ui/cp932.h"
#include "ui/folder_warning.h"
#include "ui/grid_view.h"
#include "ui/offer.h"
#include "ui/quit_watch.h"
#include "ui/screens.h"
#include "ui/Unit6.h"
#include "ui/Unit7.h"

namespace kiroku::ui {

TForm1* Form1 = nullptr;

namespace {
std::unique_ptr<Recording> g_recording;
std::unique_ptr<SetupSheet> g_sheet;

struct EditPlace {
  int k, left, top, width;
};
constexpr EditPlace kItem2Edits[] = {{1, 16, 32, 89},  {2, 136, 32, 81}, {3, 240, 32, 89}, {4, 72, 64, 81},
                                     {5, 192, 64, 89}, {6, 8, 96, 97},   {7, 144, 96, 81}, {8, 248, 96, 89},
                                     {9, 72, 136, 81}, {10, 200, 136, 81}};
constexpr EditPlace kItem3Edits[] = {{11, 16, 40, 81},  {12, 136, 40, 81},  {13, 248, 40, 89}, {14, 64, 80, 89},
                                     {15, 200, 80, 81}, {16, 16, 112, 81},  {17, 136, 112, 81}, {18, 248, 112, 97},
                                     {19, 64, 144, 89}, {20, 200, 144, 89}};
}  // namespace

Recording& Rec() { return *g_recording; }
SetupSheet& Sheet() { return *g_sheet; }

TForm1::TForm1() : KForm("Form1", QStringLiteral("データ入力"), 160, 89, 774, 587, clBlue) {
  Form1 = this;
  g_sheet = std::make_unique<SetupSheet>();
  g_recording = std::make_unique<Recording>(Screens());

  StringGrid1 = new GridView(Sheet().StringGrid1, true, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setGeometry(0, 0, 321, 449);
  StringGrid1->setAutoFillBackground(true);

  QPushButton* copy = addButton(1, QStringLiteral("コピー"), 136, 496, 81, 41);

  QLabel* item2 = addPanel(1, QString(), 360, 24, 385, 193, clLime);
  auto* label1 = new QLabel(QStringLiteral("項目２"), item2);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setGeometry(16, 8, 40, 12);
  for (const auto& e : kItem2Edits) addEdit(e.k, item2, e.left, e.top, e.width);

  QLabel* item3 = addPanel(2, QString(), 360, 232, 385, 185, clAqua);
  auto* label2 = new QLabel(QStringLiteral("項目３"), item3);
  label2->setObjectName(QStringLiteral("Label2"));
  label2->setGeometry(16, 8, 40, 12);
  for (const auto& e : kItem3Edits) addEdit(e.k, item3, e.left, e.top, e.width);

  QPushButton* toRecording = addButton(2, QStringLiteral("入力切替"), 360, 488, 105, 49);
  QPushButton* backup = addButton(3, QStringLiteral("データ登録"), 504, 488, 97, 49);
  QPushButton* results = addButton(4, QStringLiteral("データ保存"), 504, 424, 97, 49);
  Cp932LineEdit* prefix = addEdit(21, this, 360, 440, 121);
  QPushButton* quit = addButton(5, QStringLiteral("終了"), 624, 424, 97, 49);
  QPushButton* season = addButton(6, QStringLiteral("通算集計"), 624, 488, 97, 49);
  // Edit22 and the three layout grids of the exports are values of the
  // sheet only: nothing of them is ever shown.

  QList<QWidget*> tabs{StringGrid1, copy};
  for (int k = 1; k <= 20; ++k) tabs << edits_[k];
  SetTabChain(tabs << toRecording << backup << results << prefix << quit << season);

  connect(copy, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(toRecording, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(backup, &QPushButton::clicked, this, &TForm1::Button3Click);
  connect(results, &QPushButton::clicked, this, &TForm1::Button4Click);
  connect(quit, &QPushButton::clicked, this, &TForm1::Button5Click);
  connect(season, &QPushButton::clicked, this, &TForm1::Button6Click);

  QTimer* startup = addTimer(1, 1);
  connect(startup, &QTimer::timeout, this, &TForm1::Timer1Timer);  // started once the sheet is drawn
  // Timer2 has no handler and does nothing, so it is never started: it must
  // not wake the program every millisecond for the whole run.
  addTimer(2, 1);

  Sheet().setEditObserver([this](int k) {
    showEdit(k);
    if (Form6) Form6->Follow();
  });
  FormCreate();
}

TForm1::~TForm1() {
  if (g_sheet) g_sheet->setEditObserver(nullptr);
  delete StringGrid1;  // its model observes the sheet's grid: gone before the sheet
  StringGrid1 = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

Cp932LineEdit* TForm1::addEdit(int k, QWidget* parent, int left, int top, int width) {
  auto* e = new Cp932LineEdit(parent);
  e->setObjectName(QStringLiteral("Edit%1").arg(k));
  e->setGeometry(left, top, width, 20);
  e->setProgramText(FromCp932(Sheet().edit(k)));
  connect(e, &Cp932LineEdit::operatorEdited, this, [this, k](const QString& text) {
    editing_ = k;
    Sheet().setEdit(k, SpliceCp932(Sheet().edit(k), text));
    editing_ = 0;
  });
  edits_[k] = e;
  return e;
}

void TForm1::showEdit(int k) {
  if (k == editing_ || k < 1 || k > SetupSheet::kEdits || !edits_[k]) return;
  edits_[k]->setProgramText(FromCp932(Sheet().edit(k)));
}

void TForm1::FormCreate() { CreateSetupSheet(Sheet(), Rec()); }

void TForm1::Button1Click() { CopyPlayerNames(Sheet()); }
void TForm1::Button2Click() { SwitchToRecording(Sheet(), Rec()); }
void TForm1::Button3Click() {
  Guarded([] { SaveSetupBackup(Sheet()); });
}
void TForm1::Button4Click() {
  Guarded([] { SaveResults(Sheet(), Rec()); });
  if (Form7) Form7->FollowSave();  // what was saved, or as far as it got
}
void TForm1::Button5Click() { close(); }
void TForm1::Button6Click() { Form7->Open(); }
void TForm1::Timer1Timer() {
  WarnIfFolderKeepsNoFiles(timer(1));
  TidyJournals();
  // An earlier run's unsaved game is offered in the start-up choice's place.
  if (OfferUnsavedRun()) return;
  ShowStartupChoice(Screens());
}

void TForm1::paintEvent(QPaintEvent* event) {
  KForm::paintEvent(event);
  // The start-up choice, and the journals it looks through, come once the
  // sheet is on the screen: a full journal folder never delays it.
  if (!startupArmed_) {
    startupArmed_ = true;
    timer(1)->start();
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  SetProgramEnding();  // the pickers Qt closes now are not the operator's 修正
  event->accept();
  QCoreApplication::quit();
}

}  // namespace kiroku::ui
