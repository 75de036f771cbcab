#include "ui/Unit5.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include "setup/backup.h"
#include "ui/Unit1.h"
#include "ui/screens.h"

namespace kiroku::ui {

TForm5* Form5 = nullptr;

TForm5::TForm5() : KForm("Form5", QStringLiteral("settei"), 318, 154, 497, 426, clLime) {
  Form5 = this;
  RadioGroup1 = new QGroupBox(QStringLiteral("Select"), this);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(96, 152, 185, 105);
  RadioGroup1->setAutoFillBackground(true);
  items_ = new QButtonGroup(this);
  auto* layout = new QVBoxLayout(RadioGroup1);
  const QString names[] = {QStringLiteral("New List"), QStringLiteral("Back Up")};
  for (int i = 0; i < 2; ++i) {
    auto* item = new QRadioButton(names[i], RadioGroup1);
    item->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
    items_->addButton(item, i);
    layout->addWidget(item);
  }
  QPushButton* ok = addButton(1, QStringLiteral("OK"), 344, 200, 81, 41);
  addPanel(1, QStringLiteral("項目を選択し、ＯＫを押してください。"), 72, 56, 361, 33);
  SetTabChain({items_->button(0), items_->button(1), ok});

  connect(ok, &QPushButton::clicked, this, &TForm5::Button1Click);
  connect(addTimer(1, 1), &QTimer::timeout, this, &TForm5::Timer1Timer);
  FormCreate();
}

TForm5::~TForm5() {
  if (Form5 == this) Form5 = nullptr;
}

void TForm5::Button1Click() {
  Guarded([this] { StartupChoiceOk(itemIndex(), Sheet(), Screens()); });
}

void TForm5::Timer1Timer() { timer(1)->stop(); }

}  // namespace kiroku::ui
