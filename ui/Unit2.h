#pragma once
#include "core/game_clock.h"
#include "ui/kform.h"

namespace kiroku::ui {

class GridView;

// The recording screen: both teams' event grids, the 32 player buttons and the clock.
class TForm2 : public KForm {
  Q_OBJECT

 public:
  TForm2();
  ~TForm2() override;

  void FormCreate();
  void PlayerClick(int n);  // Button1Click ... Button32Click
  void Button33Click();     // スタート
  void Button34Click();     // 中断/再開
  void Button35Click();     // 画面切り替え
  void Button36Click();     // 修正
  void Button37Click();     // 集計
  void Timer1Timer();

  GridView* StringGrid1 = nullptr;
  GridView* StringGrid2 = nullptr;
};

extern TForm2* Form2;

// The game clock, for the whole run.
GameClock& Clock();
// Where the clock reads the time; tests give their own before the screens are made.
void SetClockTimeSource(TimeSource* source);

}  // namespace kiroku::ui
