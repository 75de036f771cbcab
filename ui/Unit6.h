#pragma once
#include <QComboBox>
#include <array>
#include <utility>
#include <vector>

#include "core/text_grid.h"
#include "ui/kform.h"

namespace kiroku::ui {

class GridView;

// The running counts: both teams' blocks of the table file for one item-3
// category (or all of them), as データ保存 would write them now.
class TForm6 : public KForm {
  Q_OBJECT

 public:
  TForm6();
  ~TForm6() override;

  void FormCreate();
  void Button1Click();      // コピー, and Ctrl+C
  void ComboBox1Change();   // the category chosen
  void Follow();            // the counts, names or labels changed
  int category() const;     // its item-3 index; 11 is 合計, all of them
  // 集計: in front, beside the recording screen the first time; an open
  // picker stays in front of it and keeps the next press.
  void Open();

  QComboBox* ComboBox1 = nullptr;
  GridView* StringGrid1 = nullptr;  // team 1
  GridView* StringGrid2 = nullptr;  // team 2

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void fillChoices();
  void fillTeam(int team);

  std::array<TStringGrid, 2> blocks_;
  std::vector<std::pair<int, Text>> choices_;  // item-3 index and label, after 合計
  bool placed_ = false;
};

extern TForm6* Form6;

}  // namespace kiroku::ui
