#include "ui/Unit7.h"

#include <QAbstractTableModel>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QShortcut>
#include <QShowEvent>
#include <utility>

#include "season/workbook.h"
#include "ui/cp932.h"
#include "ui/screens.h"

namespace kiroku::ui {

TForm7* Form7 = nullptr;

namespace {
constexpr int kRowHeight = 18;
constexpr int kGameColumns[] = {24, 0, 176, 144, 144};  // the date's fits its text; 状態 takes the rest
FileChoice g_folderChoice, g_saveChoice;

QString SystemFolderChoice(QWidget* parent, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, QStringLiteral("フォルダー"), start);
}
QString SystemSaveChoice(QWidget* parent, const QString& start) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Excel に保存"), start,
                                      QStringLiteral("Excel ブック (*.xlsx)"));
}

void LookLikeAGrid(QTableView* view) {
  view->setShowGrid(true);
  view->setCornerButtonEnabled(false);
  view->verticalHeader()->setVisible(false);
  view->verticalHeader()->setDefaultSectionSize(kRowHeight);
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->horizontalHeader()->setSectionsClickable(false);
  view->horizontalHeader()->setHighlightSections(false);
  view->horizontalHeader()->setMinimumSectionSize(1);
  view->setSelectionMode(QAbstractItemView::NoSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}
}  // namespace

void SetFolderChoice(FileChoice choice) { g_folderChoice = std::move(choice); }
void SetSaveChoice(FileChoice choice) { g_saveChoice = std::move(choice); }

// The games of the folder, a row each; the checks are the screen's, kept by
// folder and prefix so that a folder read again keeps them.
class GamesModel : public QAbstractTableModel {
 public:
  explicit GamesModel(TForm7* form) : QAbstractTableModel(form), form_(form) {}

  // The data changes inside: no view asks in between.
  void reset(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
  }
  const season::Game* game(int row) const {
    const auto& f = form_->games_;
    return f && f->error.empty() && row >= 0 && row < static_cast<int>(f->games.size()) ? &f->games[row] : nullptr;
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    const auto& f = form_->games_;
    if (parent.isValid() || !f) return 0;
    return f->error.empty() ? static_cast<int>(f->games.size()) : 1;
  }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 6; }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const QString header[] = {QString(), QStringLiteral("日付"), QStringLiteral("ファイル"),
                                     QStringLiteral("チーム1"), QStringLiteral("チーム2"), QStringLiteral("状態")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 5) return {};
    return header[section];
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const season::Game* g = game(index.row());
    if (!g) return role == Qt::DisplayRole && index.column() == 5 ? FromCp932(form_->games_->error) : QVariant();
    if (role == Qt::CheckStateRole && index.column() == 0 && g->readable()) {
      const auto check = form_->checks_.find(form_->checkKey(*g));
      return check != form_->checks_.end() && check->second ? Qt::Checked : Qt::Unchecked;
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case 1: return FromCp932(g->stamp);
      case 2: return FromCp932(g->prefix);
      case 3: return FromCp932(g->teams[0]);
      case 4: return FromCp932(g->teams[1]);
      case 5: return FromCp932(g->refusal);
    }
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    const season::Game* g = game(index.row());
    if (!g || !g->readable()) return Qt::NoItemFlags;  // greyed, and no check
    return index.column() == 0 ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemIsEnabled;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    const season::Game* g = game(index.row());
    if (role != Qt::CheckStateRole || index.column() != 0 || !g || !g->readable()) return false;
    form_->checks_[form_->checkKey(*g)] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    form_->checkChanged();
    return true;
  }

 private:
  TForm7* form_;
};

// Season::table as it stands: row 0 the header, which stays while the rest scrolls.
class SeasonTableModel : public QAbstractTableModel {
 public:
  SeasonTableModel(const season::Season::Table& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {}

  // The data changes inside: no view asks in between.
  void reset(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() || table_.empty() ? 0 : static_cast<int>(table_.size()) - 1;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() || table_.empty() ? 0 : static_cast<int>(table_[0].size());
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || table_.empty()) return {};
    return section < static_cast<int>(table_[0].size()) ? FromCp932(table_[0][section]) : QVariant();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::TextAlignmentRole && index.column() > 0) return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const auto& row = table_[index.row() + 1];
    return index.column() < static_cast<int>(row.size()) ? FromCp932(row[index.column()]) : QVariant();
  }

 private:
  const season::Season::Table& table_;
};

struct TForm7::Reader {
  explicit Reader(TForm7* form) : form(form) {}
  ~Reader() {
    {
      std::lock_guard lock(mutex);
      stop = true;
    }
    wake.notify_one();
    if (thread.joinable()) thread.join();
  }
  // The latest request wins; one still being read is handed back and dropped.
  void request(unsigned generation, std::string folder) {
    {
      std::lock_guard lock(mutex);
      pending = {generation, std::move(folder)};
    }
    if (!thread.joinable()) thread = std::thread([this] { run(); });
    wake.notify_one();
  }
  void run() {
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [this] { return stop || pending; });  // asleep: no wakeups while idle
      if (stop) return;
      const auto [generation, folder] = *std::exchange(pending, std::nullopt);
      lock.unlock();
      auto games = std::make_shared<season::Folder>(season::ReadFolder(folder));
      TForm7* to = form;
      // Handed to the screen thread; the form outlives this thread, which it joins.
      QMetaObject::invokeMethod(
          form, [to, generation, games] { to->takeFolder(generation, games); }, Qt::QueuedConnection);
      lock.lock();
    }
  }

  TForm7* form;
  std::mutex mutex;
  std::condition_variable wake;
  std::optional<std::pair<unsigned, std::string>> pending;
  bool stop = false;
  std::thread thread;
};

TForm7::TForm7() : KForm("Form7", QStringLiteral("通算集計"), 180, 100, 800, 600, clBlue) {
  Form7 = this;
  FormCreate();
}

// The controls are made at the first show, not at start: most runs never
// open this screen, and every start would pay for them.
void TForm7::Build() {
  if (Label1) return;
  Label1 = new QLabel(QStringLiteral("フォルダー"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(8, 12);
  QPalette white = Label1->palette();
  white.setColor(QPalette::WindowText, Qt::white);  // on the screen's blue
  Label1->setPalette(white);
  Label1->adjustSize();
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(80, 8, 520, 20);
  Edit1->setReadOnly(true);
  Edit1->setFocusPolicy(Qt::NoFocus);  // Ctrl+C is the table's anywhere on the screen
  QPushButton* choose = addButton(1, QStringLiteral("フォルダー…"), 608, 4, 97, 28);

  gamesModel_ = new GamesModel(this);
  StringGrid1 = new QTableView(this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setGeometry(8, 40, 768, 161);
  LookLikeAGrid(StringGrid1);

  auto combo = [this](int n, int left, int width) {
    auto* c = new QComboBox(this);
    c->setObjectName(QStringLiteral("ComboBox%1").arg(n));
    c->setGeometry(left, 212, width, 24);
    return c;
  };
  ComboBox1 = combo(1, 8, 200);
  ComboBox2 = combo(2, 216, 160);
  ComboBox3 = combo(3, 384, 120);
  QPushButton* copy = addButton(2, QStringLiteral("コピー"), 520, 208, 97, 32);
  QPushButton* excel = addButton(3, QStringLiteral("Excel に保存"), 624, 208, 113, 32);

  tableModel_ = new SeasonTableModel(table_, this);
  StringGrid2 = new QTableView(this);
  StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
  StringGrid2->setGeometry(8, 248, 768, 305);
  LookLikeAGrid(StringGrid2);

  SetTabChain({choose, StringGrid1, ComboBox1, ComboBox2, ComboBox3, copy, excel, StringGrid2});

  connect(choose, &QPushButton::clicked, this, &TForm7::Button1Click);
  connect(copy, &QPushButton::clicked, this, &TForm7::Button2Click);
  connect(excel, &QPushButton::clicked, this, &TForm7::Button3Click);
  auto* ctrlC = new QShortcut(QKeySequence::Copy, this);
  connect(ctrlC, &QShortcut::activated, this, &TForm7::Button2Click);
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox1Change);
  connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox2Change);
  connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TForm7::ComboBox3Change);

  StringGrid1->setModel(gamesModel_);
  for (int c = 0; c < 5; ++c) StringGrid1->setColumnWidth(c, kGameColumns[c]);
  StringGrid1->setColumnWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 16);
  StringGrid1->horizontalHeader()->setStretchLastSection(true);
  StringGrid2->setModel(tableModel_);
  setFolder(folder_);
  rebuild();
}

TForm7::~TForm7() {
  reader_.reset();  // joined: nothing more is handed to this screen
  // The grids ask their models, and the models this screen's members, as they go.
  delete StringGrid1;
  delete StringGrid2;
  if (Form7 == this) Form7 = nullptr;
}

void TForm7::FormCreate() {
  // Nothing is read until the screen is shown: it costs the start nothing.
  folder_ = QDir::currentPath();
}

void TForm7::setFolder(const QString& folder) {
  folder_ = QDir(folder).absolutePath();
  if (Edit1) Edit1->setText(QDir::toNativeSeparators(folder_));
  if (isVisible()) read();
}

void TForm7::read() {
  if (!reader_) reader_ = std::make_unique<Reader>(this);
  reading_ = true;
  reader_->request(++generation_, folder_.toStdString());
}

void TForm7::takeFolder(unsigned generation, std::shared_ptr<season::Folder> folder) {
  if (generation != generation_) return;  // the folder changed, or was read again, meanwhile
  reading_ = false;
  gamesFolder_ = folder_.toStdString();
  for (const season::Game& g : folder->games)
    if (g.readable()) checks_.try_emplace(checkKey(g), true);
  // The season points into the games it replaces: both go together.
  std::shared_ptr<season::Folder> before;
  gamesModel_->reset([&] { before = std::exchange(games_, std::move(folder)); });
  rebuild();
}

std::string TForm7::checkKey(const season::Game& game) const {
  return gamesFolder_ + '\0' + game.prefix;
}

void TForm7::checkChanged() { rebuild(); }

void TForm7::rebuild() {
  std::vector<const season::Game*> checked;
  if (games_)
    for (const season::Game& g : games_->games)
      if (g.readable() && checks_[checkKey(g)]) checked.push_back(&g);
  season_ = std::make_unique<season::Season>(std::move(checked));
  fillTeams();
  fillCategories();
  fillViews();
  showTable();
}

void TForm7::fillTeams() {
  teams_ = season_->teams();
  const QSignalBlocker quiet(ComboBox1);
  ComboBox1->clear();
  int keep = 0;
  for (const Text& team : teams_) {
    if (team == wantedTeam_) keep = ComboBox1->count();
    ComboBox1->addItem(FromCp932(team));
  }
  ComboBox1->setCurrentIndex(teams_.empty() ? -1 : keep);
  if (!wantedTeam_ && !teams_.empty()) wantedTeam_ = teams_[keep];  // the first shown stays until another is chosen
}

void TForm7::fillCategories() {
  const int t = ComboBox1->currentIndex();
  categories_ = t >= 0 ? season_->categories(teams_[t]) : std::vector<Text>{};
  const QSignalBlocker quiet(ComboBox2);
  ComboBox2->clear();
  ComboBox2->addItem(FromCp932(Text(cp932::kTotal)));
  int keep = 0;
  for (const Text& label : categories_) {
    if (label == wantedCategory_) keep = ComboBox2->count();
    ComboBox2->addItem(FromCp932(label));
  }
  ComboBox2->setCurrentIndex(keep);
}

void TForm7::fillViews() {
  const bool share = ComboBox2->currentIndex() > 0;  // a share of 合計 in itself says nothing
  const int chosen = std::max(0, ComboBox3->currentIndex());
  if (ComboBox3->count() == (share ? 3 : 2)) return;
  const QSignalBlocker quiet(ComboBox3);
  ComboBox3->clear();
  ComboBox3->addItems({QStringLiteral("回数"), QStringLiteral("1試合あたり")});
  if (share) ComboBox3->addItem(QStringLiteral("割合"));
  ComboBox3->setCurrentIndex(chosen < ComboBox3->count() ? chosen : 0);
}

void TForm7::showTable() {
  const int t = ComboBox1->currentIndex(), c = ComboBox2->currentIndex();
  tableModel_->reset([&] {
    if (t >= 0 && t < static_cast<int>(teams_.size())) {
      const std::optional<Text> category = c >= 1 ? std::optional(categories_[c - 1]) : std::nullopt;
      const season::View view = static_cast<season::View>(std::max(0, ComboBox3->currentIndex()));
      table_ = season_->table(teams_[t], category, view);
    } else {
      table_.clear();
    }
  });
  // Each column as wide as its header, its name or its total; the counts
  // above a total are never wider than it, nor a share than "100.0%".
  const QFontMetrics metrics(StringGrid2->font());
  const int pad = 12, least = metrics.horizontalAdvance(QStringLiteral("100.0%")) + pad;
  for (int col = 0; !table_.empty() && col < static_cast<int>(table_[0].size()); ++col) {
    int width = std::max(least, metrics.horizontalAdvance(FromCp932(table_[0][col])) + pad);
    if (col == 0)
      for (const auto& row : table_) width = std::max(width, metrics.horizontalAdvance(FromCp932(row[0])) + pad);
    else if (table_.size() > 1)
      width = std::max(width, metrics.horizontalAdvance(FromCp932(table_.back()[col])) + pad);
    StringGrid2->setColumnWidth(col, width);
  }
  button(2)->setEnabled(!table_.empty());
  button(3)->setEnabled(!table_.empty());
  emit tableShown();
}

void TForm7::ComboBox1Change() {
  const int t = ComboBox1->currentIndex();
  if (t >= 0 && t < static_cast<int>(teams_.size())) wantedTeam_ = teams_[t];
  fillCategories();
  fillViews();
  showTable();
}
void TForm7::ComboBox2Change() {
  const int c = ComboBox2->currentIndex();
  wantedCategory_ = c >= 1 && c <= static_cast<int>(categories_.size()) ? std::optional(categories_[c - 1]) : std::nullopt;
  fillViews();
  showTable();
}
void TForm7::ComboBox3Change() { showTable(); }

void TForm7::Button1Click() {
  const QString chosen = (g_folderChoice ? g_folderChoice : SystemFolderChoice)(this, folder_);
  if (!chosen.isEmpty()) setFolder(chosen);
}

void TForm7::Button2Click() {
  if (table_.empty()) return;
  QGuiApplication::clipboard()->setText(FromCp932(season::TableText(table_)));
}

void TForm7::Button3Click() {
  const int t = ComboBox1->currentIndex();
  if (t < 0 || t >= static_cast<int>(teams_.size())) return;
  const Text team = teams_[t];
  const QString start = QDir(folder_).filePath(FromCp932(season::WorkbookName(team)));
  const QString path = (g_saveChoice ? g_saveChoice : SystemSaveChoice)(this, start);
  if (path.isEmpty()) return;
  Guarded([&] { season::WriteWorkbook(path.toStdString(), *season_, team); });
}

void TForm7::FollowSave() {
  if (isVisible()) read();
}

void TForm7::setVisible(bool visible) {
  if (visible) Build();  // before the show, which shows the children there are
  KForm::setVisible(visible);
}

void TForm7::showEvent(QShowEvent* event) {
  KForm::showEvent(event);
  if (!event->spontaneous()) read();
}

void TForm7::Open() {
  ShowBehindAnyPicker(this);
}

}  // namespace kiroku::ui
