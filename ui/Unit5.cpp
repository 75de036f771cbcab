#include "ui/Unit5.h"

#include <QRadioButton>

#include "setup/backup.h"
#include "ui/Unit1.h"
#include "ui/screens.h"

namespace kiroku::ui {

TForm5* Form5 = nullptr;

namespace {
class RowRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};
}  // namespace

TForm5::TForm5() : KForm("Form5", QStringLiteral("settei"), 318, 154, 497, 426, clLime) {
  Form5 = this;
  RadioGroup1 = new QGroupBox(QStringLiteral("Select"), this);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(96, 152, 185, 105);
  RadioGroup1->setAutoFillBackground(true);
  items_ = new QButtonGroup(this);
  // Each item is a row as wide as the group, the rows of equal height below
  // the caption; a click anywhere on a row chooses it.
  const QString names[] = {QStringLiteral("New List"), QStringLiteral("Back Up")};
  constexpr int kTop = 13, kSide = 5, kBottom = 4, kCount = 2;
  const int rowHeight = (RadioGroup1->height() - kTop - kBottom) / kCount;
  for (int i = 0; i < kCount; ++i) {
    auto* item = new RowRadioButton(names[i], RadioGroup1);
    item->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
    item->setGeometry(kSide, kTop + i * rowHeight, RadioGroup1->width() - 2 * kSide, rowHeight);
    items_->addButton(item, i);
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
