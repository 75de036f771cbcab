#include "ui/application.h"

#include <QFont>

#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit5.h"
#include "ui/Unit6.h"
#include "ui/Unit7.h"
#include "ui/continuation.h"

namespace kiroku::ui {

void InitApplication() {
  QApplication::setApplicationName(QStringLiteral("kiroku"));
  // Windows has the face itself where its Japanese fonts are installed, and
  // Yu Gothic UI on every Windows 10 and 11; the rest are Linux's.
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                             {QStringLiteral("MS PGothic"), QStringLiteral("Yu Gothic UI"),
                              QStringLiteral("Meiryo UI"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                              QStringLiteral("TakaoPGothic")});
}

void CreateForms() {
  BeginRun();
  new TForm1;
  new TForm2;
  new TForm3;
  new TForm4;
  new TForm5;
  new TForm6;
  new TForm7;
}

void DestroyForms() {
  delete Form7;
  delete Form6;
  delete Form5;
  delete Form4;
  delete Form3;
  delete Form2;
  delete Form1;
}

}  // namespace kiroku::ui
