#pragma once
#include <array>

#include "setup/setup_sheet.h"
#include "ui/cp932.h"
#include "ui/kform.h"

namespace kiroku::ui {

class GridView;

// The setup sheet, and the main screen: closing it ends the program.
class TForm1 : public KForm {
  Q_OBJECT

 public:
  TForm1();
  ~TForm1() override;

  void FormCreate();
  void Button1Click();  // コピー
  void Button2Click();  // 入力切替
  void Button3Click();  // データ登録
  void Button4Click();  // データ保存
  void Button5Click();  // 終了
  void Button6Click();  // 通算集計
  void Timer1Timer();

  GridView* StringGrid1 = nullptr;
  Cp932LineEdit* edit(int k) const { return edits_.at(k); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  Cp932LineEdit* addEdit(int k, QWidget* parent, int left, int top, int width);
  void showEdit(int k);

  std::array<Cp932LineEdit*, SetupSheet::kEdits + 1> edits_{};
  int editing_ = 0;  // the field the operator is typing into
  bool startupArmed_ = false;
};

extern TForm1* Form1;

// The recording state and the setup sheet, for the whole run.
Recording& Rec();
SetupSheet& Sheet();

}  // namespace kiroku::ui
