#include "ui/Unit6.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QShortcut>

#include "export/tally_block.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/cp932.h"
#include "ui/grid_view.h"
#include "ui/screens.h"
#include "ui/screen_fit.h"

namespace kiroku::ui {

TForm6* Form6 = nullptr;

namespace {
// The outer window: low enough to lie in the work area at 175% on 1920x1080.
constexpr int kWidth = 722, kHeight = 590;
constexpr int kNameWidth = 72, kCountWidth = 56, kRowHeight = 13;
constexpr int kGridTop[] = {52, 310}, kGridHeight = 2 + 18 * kRowHeight;  // a whole block

// The recording screen and the pickers, which the tally screen should not cover.
QRect RecordingAndPickers() {
  QRect united;
  for (const KForm* w : {static_cast<KForm*>(Form2), static_cast<KForm*>(Form3), static_cast<KForm*>(Form4)})
    united |= w->outerFrame();
  return united;
}
}  // namespace

TForm6::TForm6() : KForm("Form6", QStringLiteral("集計"), 0, 0, kWidth, kHeight, clBlue) {
  Form6 = this;
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setGeometry(8, 4, 161, 26);
  QPushButton* copy = addButton(1, QStringLiteral("コピー"), 184, 2, 81, 30);
  addPanel(1, QString(), 8, kGridTop[0] - 18, 145, 16, clAqua);
  addPanel(2, QString(), 8, kGridTop[1] - 18, 145, 16, clFuchsia);

  GridView** views[] = {&StringGrid1, &StringGrid2};
  for (int t = 0; t < 2; ++t) {
    TStringGrid& grid = blocks_[t];
    grid = TStringGrid(kBlockCells, kBlockRows, 0, 0);
    grid.setColWidth(0, kNameWidth);
    for (int j = 1; j < kBlockCells; ++j) grid.setColWidth(j, kCountWidth);
    for (int r = 0; r < kBlockRows; ++r) grid.setRowHeight(r, kRowHeight);
    auto* view = new GridView(grid, false, this);
    view->setObjectName(QStringLiteral("StringGrid%1").arg(t + 1));
    view->setGeometry(8, kGridTop[t], 2 + kNameWidth + 11 * kCountWidth, kGridHeight);
    // Only looked at: it takes neither the focus nor a selection.
    view->setFocusPolicy(Qt::NoFocus);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->clearSelection();
    *views[t] = view;
  }
  SetTabChain({ComboBox1, copy});

  connect(copy, &QPushButton::clicked, this, &TForm6::Button1Click);
  auto* ctrlC = new QShortcut(QKeySequence::Copy, this);
  connect(ctrlC, &QShortcut::activated, this, &TForm6::Button1Click);
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm6::ComboBox1Change);
  // Names and labels: the setup grid's cells through its view, the label
  // fields through the sheet (Unit1); the counts through the recording.
  connect(Form1->StringGrid1->model(), &QAbstractItemModel::dataChanged, this, &TForm6::Follow);
  Rec().setTallyObserver([this] { Follow(); });

  FormCreate();
}

TForm6::~TForm6() {
  if (Form1) Rec().setTallyObserver({});
  if (Form6 == this) Form6 = nullptr;
}

void TForm6::FormCreate() {
  setHatched();
  fillChoices();
}

int TForm6::category() const {
  const int i = ComboBox1->currentIndex();
  return i >= 1 && i <= static_cast<int>(choices_.size()) ? choices_[i - 1].first : TallyTableT::kItem3;
}

void TForm6::fillChoices() {
  std::vector<std::pair<int, Text>> choices;
  // A category without a label is offered while it has counts: the table
  // file holds its block all the same.
  for (int k = 1; k < TallyTableT::kItem3; ++k)
    if (!Sheet().item3Label(k).empty() || HasCounts(Rec().TallyTable, k))
      choices.emplace_back(k, Sheet().item3Label(k));
  if (choices == choices_ && ComboBox1->count() > 0) return;
  const int chosen = category();
  choices_ = std::move(choices);
  const QSignalBlocker quiet(ComboBox1);
  ComboBox1->clear();
  ComboBox1->addItem(FromCp932(Text(cp932::kTotal)));
  int keep = 0;
  for (const auto& [k, label] : choices_) {
    if (k == chosen) keep = ComboBox1->count();
    ComboBox1->addItem(label.empty() ? QStringLiteral("（名前なし %1）").arg(k) : FromCp932(label));
  }
  ComboBox1->setCurrentIndex(keep);  // a category that is no longer offered falls back to 合計
}

void TForm6::fillTeam(int team) {
  TStringGrid& grid = blocks_[team - 1];
  GridView* view = team == 1 ? StringGrid1 : StringGrid2;
  KForm::SetCaption(panel(team), Sheet().teamName(team));
  const TallyBlockCells block = TallyBlock(Sheet(), Rec().TallyTable, team, category());
  for (int r = 0; r < kBlockRows; ++r)
    for (int j = 0; j < kBlockCells; ++j)
      if (grid.cell(j, r) != block[r][j]) grid.setCell(j, r, block[r][j]);
  // Rows and columns that hold neither a name nor a count are left out here;
  // the copy has them all.
  auto blank = [&](int r, int j) { return block[r][j].empty() || block[r][j] == "0"; };
  for (int r = 1; r < kBlockRows - 1; ++r) {
    bool empty = true;
    for (int j = 0; j < kBlockCells && empty; ++j) empty = blank(r, j);
    view->setRowHidden(r, empty);
  }
  for (int j = 1; j < kBlockCells - 1; ++j) {
    bool empty = true;
    for (int r = 0; r < kBlockRows && empty; ++r) empty = blank(r, j);
    view->setColumnHidden(j, empty);
  }
}

void TForm6::Follow() {
  if (!isVisible()) return;  // shown again, it reads everything afresh
  fillChoices();
  fillTeam(1);
  fillTeam(2);
}

void TForm6::ComboBox1Change() { Follow(); }

void TForm6::Button1Click() {
  QGuiApplication::clipboard()->setText(FromCp932(TallyBlocksText(Sheet(), Rec().TallyTable, category())));
}

void TForm6::showEvent(QShowEvent* event) {
  KForm::showEvent(event);
  Follow();
}

void TForm6::Open() {
  if (!placed_) {
    move(BesideTopLeft(RecordingAndPickers(), outerFrame(), Form2->screen()->availableGeometry()));
    placed_ = true;
  }
  ShowBehindAnyPicker(this);
}

}  // namespace kiroku::ui
