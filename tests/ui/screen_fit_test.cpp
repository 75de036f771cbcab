// Where the screens appear on a small work area, and the start-up warning
// about a folder that keeps no files.
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit5.h"
#include "ui/Unit6.h"
#include "ui/Unit7.h"
#include "ui/application.h"
#include "ui/cp932.h"
#include "ui/folder_warning.h"
#include "ui/kform.h"
#include "ui/screen_fit.h"
#include "ui/screens.h"

using namespace kiroku;
using namespace kiroku::ui;

namespace {
QByteArray Hex(const QString& s) {
  const Text t = ToCp932(s);
  return QByteArray(t.data(), static_cast<qsizetype>(t.size())).toHex(' ');
}
}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempDir> dir_;
  QStringList warnings_;

 private slots:
  void init() {
    dir_ = std::make_unique<testing::TempDir>();
    warnings_.clear();
    SetErrorBox([](const QString&, const QString&) {});
    SetWarningBox([this](const QString& caption, const QString& message) { warnings_ << caption + "|" + message; });
    InitApplication();
    CreateForms();
  }
  void cleanup() {
    DestroyForms();
    SetWarningBox({});
    dir_.reset();
  }

  void fittedTopLeft_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("expected");
    const QRect laptop(0, 0, 1366, 728);  // 1366x768 above a 40-pixel taskbar
    QTest::newRow("fits") << QRect(160, 89, 774, 587) << laptop << QPoint(160, 89);
    QTest::newRow("touches the right and bottom edges") << QRect(592, 141, 774, 587) << laptop << QPoint(592, 141);
    QTest::newRow("one pixel over the bottom") << QRect(160, 142, 774, 587) << laptop << QPoint(160, 141);
    QTest::newRow("past the right") << QRect(1000, 10, 774, 587) << laptop << QPoint(592, 10);
    QTest::newRow("above and left of it") << QRect(-30, -5, 774, 587) << laptop << QPoint(0, 0);
    // The setup sheet at a scale of 175% on 1920x1080: its lowest buttons were below the edge.
    QTest::newRow("sheet at 175%") << QRect(296, 194, 1327, 959) << QRect(0, 0, 1920, 1040) << QPoint(296, 81);
    QTest::newRow("taller") << QRect(300, 50, 800, 1100) << QRect(0, 0, 1920, 1040) << QPoint(0, 0);
    QTest::newRow("wider") << QRect(300, 20, 1400, 600) << laptop << QPoint(0, 0);
    // A taskbar on the left, and a second monitor right of the first.
    QTest::newRow("taskbar left") << QRect(10, 89, 774, 587) << QRect(62, 0, 1858, 1080) << QPoint(62, 89);
    QTest::newRow("second monitor") << QRect(3000, 600, 774, 587) << QRect(1920, 0, 1366, 728)
                                    << QPoint(2512, 141);
    QTest::newRow("taller on it") << QRect(2000, 50, 774, 800) << QRect(1920, 0, 1366, 728) << QPoint(1920, 0);
  }
  void fittedTopLeft() {
    QFETCH(QRect, frame);
    QFETCH(QRect, area);
    QFETCH(QPoint, expected);
    QCOMPARE(FittedTopLeft(frame, area), expected);
  }

  // The tally screen beside the recording screen and the pickers, or at the
  // work area's right edge; at 175% on 1920x1080 the area is 1097 wide.
  void besideTopLeft_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("room beside") << QRect(0, 0, 1920, 1040) << QPoint(945, 95);
    QTest::newRow("laptop") << QRect(0, 0, 1366, 728) << QPoint(644, 95);
    QTest::newRow("175%") << QRect(0, 0, 1097, 594) << QPoint(375, 4);
  }
  void besideTopLeft() {
    QFETCH(QRect, area);
    QFETCH(QPoint, expected);
    const QRect recordingAndPickers(150, 95, 795, 584), tally(0, 0, 722, 590);
    QCOMPARE(BesideTopLeft(recordingAndPickers, tally, area), expected);
  }

  // Every screen within the work area when shown, with all its buttons when
  // it fits at all: run on the offscreen screen and again at a display scale
  // that makes the screens larger than it.
  void everyScreenAndButtonLiesInTheWorkArea() {
    QWidget* forms[] = {Form1, Form2, Form3, Form4, Form5, Form6, Form7};
    for (QWidget* form : forms) {
      const QSize designed = form->size();
      form->show();
      const QRect area = form->screen()->availableGeometry();
      const QString name = form->objectName();
      QCOMPARE(form->size(), designed);
      if (form->frameGeometry().width() > area.width() || form->frameGeometry().height() > area.height()) {
        QTRY_COMPARE(form->frameGeometry().topLeft(), area.topLeft());
      } else {
        QTRY_VERIFY2(area.contains(form->frameGeometry()), qPrintable(name));
        for (auto* b : form->findChildren<QPushButton*>()) {
          const QRect onScreen(b->mapToGlobal(QPoint(0, 0)), b->size());
          QVERIFY2(area.contains(onScreen), qPrintable(name + "." + b->objectName()));
        }
      }
      form->hide();
    }
  }

  void movesAScreenInJustEnoughAndLeavesOneThatFits() {
    const QRect area = Form1->screen()->availableGeometry();
    if (area.width() < 800 || area.height() < 600) QSKIP("needs a screen of at least 800x600");
    Form5->move(100, 100);
    Form5->show();
    QTest::qWait(0);
    QCOMPARE(Form5->pos(), QPoint(100, 100));  // a window's position is its frame's
    // The sheet, designed at 160 across, ends past 800: it comes in from the
    // right only, and keeps its height on the screen.
    Form1->show();
    QTRY_COMPARE(Form1->frameGeometry().right(), area.right());
    QCOMPARE(Form1->geometry().top(), 89);
    // Shown again after the operator moved it half out, it comes back in.
    Form1->hide();
    Form1->move(-200, area.bottom() - 100);
    Form1->show();
    QTRY_COMPARE(Form1->frameGeometry().topLeft(),
                 QPoint(area.left(), area.bottom() + 1 - Form1->frameGeometry().height()));
  }

  void warnsOnceBeforeTheChoiceWhenTheFolderKeepsNoFiles() {
    // The working folder is gone: nothing can be saved in it any more.
    std::filesystem::remove(std::filesystem::current_path());
    bool choiceShownFirst = true, timerHeld = false;
    SetWarningBox([&](const QString& caption, const QString& message) {
      warnings_ << caption + "|" + message;
      choiceShownFirst = Form5->isVisible();
      timerHeld = !Form1->timer(1)->isActive();
      QTest::qWait(20);  // the start-up timer would tick here if it were running
      choiceShownFirst = choiceShownFirst || Form5->isVisible();
    });
    Form1->show();
    QTRY_VERIFY(Form5->isVisible());
    QCOMPARE(warnings_.size(), 1);
    QVERIFY(!choiceShownFirst);
    QVERIFY(timerHeld);
    QCOMPARE(warnings_[0].section('|', 0, 0), QApplication::applicationName());
    QCOMPARE(Hex(warnings_[0].section('|', 1)),
             QByteArray("\x82\xb1\x82\xcc\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b\x82\xc9\x82\xcd\x8b\x4c\x98\x5e\x82\xf0"
                        "\x95\xdb\x91\xb6\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\x8f\x91\x82\xab\x8d\x9e\x82\xdd"
                        "\x82\xcc\x82\xc5\x82\xab\x82\xe9\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b\x82\xc5\x20\x6b\x69\x72"
                        "\x6f\x6b\x75\x20\x82\xf0\x8b\x4e\x93\xae\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42")
                 .toHex(' '));
    QTRY_VERIFY(!Form1->timer(1)->isActive());
    QCOMPARE(warnings_.size(), 1);
  }

  void saysNothingWhereFilesCanBeSavedAndLeavesNothingThere() {
    Form1->show();
    QTRY_VERIFY(Form5->isVisible());
    QVERIFY(warnings_.isEmpty());
    testing::WriteFileBytes("file", "x");
    WarnIfFolderKeepsNoFiles(nullptr, ".");
    QVERIFY(warnings_.isEmpty());
    WarnIfFolderKeepsNoFiles(nullptr, "file/sub");  // a folder under a file: nothing can be made there
    QCOMPARE(warnings_.size(), 1);
    QCOMPARE(QString::fromStdString(testing::ListDirectory()), QStringLiteral("file\n"));
  }
};

QTEST_MAIN(ScreenFitTest)
#include "screen_fit_test.moc"
