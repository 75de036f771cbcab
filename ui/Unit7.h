#pragma once
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "season/season.h"
#include "ui/kform.h"

namespace kiroku::ui {

class GamesModel;
class SeasonTableModel;

// The system's folder and save choices: given where to start, the path
// chosen, or an empty one. Tests answer in their place.
using FileChoice = std::function<QString(QWidget* parent, const QString& start)>;
void SetFolderChoice(FileChoice choice);  // an empty choice restores the system's
void SetSaveChoice(FileChoice choice);

// 通算集計: the games データ保存 left in one folder, added up for one team.
// The folder is read on a thread of its own; the screen only shows.
class TForm7 : public KForm {
  Q_OBJECT

 public:
  TForm7();
  ~TForm7() override;

  void FormCreate();
  // Makes the controls, which the first show does; they are null before.
  void Build();
  void setVisible(bool visible) override;
  void Button1Click();  // フォルダー…
  void Button2Click();  // コピー, and Ctrl+C
  void Button3Click();  // Excel に保存
  void ComboBox1Change();
  void ComboBox2Change();
  void ComboBox3Change();
  // In front; an open picker stays in front of it and keeps the next press.
  void Open();
  // Reads the folder again, when shown: after each データ保存.
  void FollowSave();
  void setFolder(const QString& folder);
  QString folder() const { return folder_; }
  bool reading() const { return reading_; }

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QTableView* StringGrid1 = nullptr;  // the games
  QComboBox* ComboBox1 = nullptr;     // the team
  QComboBox* ComboBox2 = nullptr;     // the category
  QComboBox* ComboBox3 = nullptr;     // the view
  QTableView* StringGrid2 = nullptr;  // the totals

 signals:
  void tableShown();  // the totals were rebuilt (read or a choice changed)

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  friend class GamesModel;
  struct Reader;

  void read();
  void takeFolder(unsigned generation, std::shared_ptr<season::Folder> folder);
  void checkChanged();
  void rebuild();
  void fillTeams();
  void fillCategories();
  void fillViews();
  void showTable();
  std::string checkKey(const season::Game& game) const;

  QString folder_;
  std::string gamesFolder_;  // the folder games_ was read from
  std::shared_ptr<season::Folder> games_;
  std::map<std::string, bool> checks_;  // by folder and prefix, for the whole run
  std::unique_ptr<season::Season> season_;
  std::vector<Text> teams_;
  std::vector<Text> categories_;  // after 合計
  // The operator's last choices, taken again once they are there again.
  std::optional<Text> wantedTeam_, wantedCategory_;
  season::Season::Table table_;
  GamesModel* gamesModel_ = nullptr;
  SeasonTableModel* tableModel_ = nullptr;
  std::unique_ptr<Reader> reader_;
  unsigned generation_ = 0;
  bool reading_ = false;
};

extern TForm7* Form7;

}  // namespace kiroku::ui
