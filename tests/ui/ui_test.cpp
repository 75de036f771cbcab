// The screens driven through their real controls on the offscreen platform.
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>
#include <array>

#include "files/cp932_codec.h"
#include "files/platform_file.h"
#include "journal/journal.h"
#include "tests/support/fake_screens.h"
#include "tests/support/temp_dir.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit5.h"
#include "ui/Unit6.h"
#include "ui/Unit7.h"
#include "ui/application.h"
#include "ui/continuation.h"
#include "ui/journal_warning.h"
#include "ui/offer.h"
#include "ui/quit_watch.h"
#include "ui/cp932.h"
#include "ui/grid_view.h"
#include "ui/screens.h"

using namespace kiroku;
using namespace kiroku::ui;

namespace {

QPushButton* Btn(QWidget* form, int n) {
  auto* b = form->findChild<QPushButton*>(QStringLiteral("Button%1").arg(n));
  if (!b) qFatal("no Button%d on %s", n, qPrintable(form->objectName()));
  return b;
}

void Click(QWidget* form, int n) {
  QPushButton* b = Btn(form, n);
  QVERIFY2(b->isVisible() && b->isEnabled(), qPrintable(QStringLiteral("Button%1 on %2").arg(n).arg(form->objectName())));
  QTest::mouseClick(b, Qt::LeftButton);
}

// Types text as the operator would, one character (code point) at a time.
void Type(QWidget* w, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    i += n - 1;
  }
}

QString Cell(QTableView* view, int row, int col) {  // grid row and column, header row 0
  return view->model()->data(view->model()->index(row - 1, col)).toString();
}

bool IsLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

QByteArray Hex(const Text& t) { return QByteArray(t.data(), static_cast<qsizetype>(t.size())).toHex(' '); }

using Files = std::map<std::string, std::string>;

// What データ保存 and データ登録 write now, in a folder of their own.
Files SavedFiles(const QString& folder) {
  QDir().mkdir(folder);
  QDir::setCurrent(folder);
  Click(Form1, 4);
  Click(Form1, 3);
  Files files;
  for (const QString& name : QDir().entryList(QDir::Files))
    files[name.toStdString()] = testing::ReadFileBytes(name.toStdString());
  QDir::setCurrent(QStringLiteral(".."));
  return files;
}

// The kinds of a journal's records after its header, one word each.
QStringList Kinds(const std::string& journal) {
  QStringList kinds;
  for (const auto& r : ParseJournal(journal).records) kinds << QString::fromStdString(r.kind);
  return kinds.mid(1);
}

// The message box on the screen, if one is shown.
QMessageBox* ShownBox() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) return b;
  return nullptr;
}

// The tab-focusable controls of a form, in tab order from the one given.
QStringList TabChain(QWidget* first) {
  QStringList names;
  for (QWidget* w = first; names.isEmpty() || w != first; w = w->nextInFocusChain())
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(first->window())) names << w->objectName();
  return names;
}

// Cells joined by TAB, rows ended by CR LF: the copy of a table, CP932.
Text Rows(std::initializer_list<std::initializer_list<const char*>> rows) {
  Text text;
  for (const auto& row : rows) {
    for (const char* const& cell : row) text += (&cell == row.begin() ? "" : "\t") + Text(cell);
    text += "\r\n";
  }
  return text;
}

}  // namespace

class UiTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempDir> dir_;
  testing::FakeTime time_;
  QStringList errors_;

  void fillSheet() {
    auto* grid = Form1->StringGrid1;
    grid->model()->setData(grid->model()->index(1, 0), QStringLiteral("佐藤"));
    grid->model()->setData(grid->model()->index(2, 0), QStringLiteral("鈴木"));
    grid->model()->setData(grid->model()->index(1, 2), QStringLiteral("高橋"));
    Type(Form1->edit(1), QStringLiteral("シュート"));
    Type(Form1->edit(2), QStringLiteral("パス"));
    Type(Form1->edit(11), QStringLiteral("右"));
    Type(Form1->edit(12), QStringLiteral("左"));
  }
  void toRecording() {
    Click(Form1, 2);
    QTRY_VERIFY(Form2->isVisible());
  }
  void startedGame() {
    fillSheet();
    toRecording();
    Click(Form2, 33);
  }
  // The start-up choice closed, and this run recording into the journal given.
  void recordInto(MemoryJournal& journal) {
    QTRY_VERIFY(Form5->isVisible());
    Form5->close();
    AttachJournal(Sheet(), Rec(), &journal);
  }
  // The screens made again, as at the start of the next run, with a journal
  // and an unsaved run to offer whose journal is the one given.
  void nextRunOffering(const std::string& journal, MemoryJournal& next) {
    DestroyForms();
    testing::WriteFileBytes("last.journal", journal);
    UnsavedRun run;
    run.path = "last.journal";
    run.started = "20261208-143000";
    SetUnsavedRuns([run] { return std::optional<UnsavedRun>(run); },
                   [this](const UnsavedRun& r) { retired_ << QString::fromStdString(r.path); return true; });
    CreateForms();
    AttachJournal(Sheet(), Rec(), &next);
    Form1->show();
  }

  // A game saved in a run of its own: the teams and players on the sheet
  // (team 1 at column 0, team 2 at 2), the events as button numbers.
  void savedGame(const QString& prefix, const QStringList& team1, const QStringList& team2,
                 std::initializer_list<std::array<int, 3>> events) {
    DestroyForms();
    CreateForms();
    Form1->show();
    QTRY_VERIFY(Form5->isVisible());
    Form5->close();
    fillSheet();
    auto* grid = Form1->StringGrid1->model();
    for (int p = 0; p < team1.size(); ++p) grid->setData(grid->index(p, 0), team1[p]);
    for (int p = 0; p < team2.size(); ++p) grid->setData(grid->index(p, 2), team2[p]);
    toRecording();
    Click(Form2, 33);
    for (const auto& [player, item2, item3] : events) {
      Click(Form2, player);
      Click(Form3, item2);
      Click(Form4, item3);
    }
    Form1->edit(21)->setText(QString());
    Type(Form1->edit(21), prefix);
    Click(Form1, 4);
  }
  QStringList retired_, asked_, warnings_;

 private slots:
  void init() {
    dir_ = std::make_unique<testing::TempDir>();
    errors_.clear();
    retired_.clear();
    asked_.clear();
    warnings_.clear();
    SetUnsavedRuns({}, {});
    SetQuestionBox([this](const QString& caption, const QString& message) {
      asked_ << caption + "|" + message;
      return true;
    });
    SetWarningBox([this](const QString& caption, const QString& message) { warnings_ << caption + "|" + message; });
    SetErrorBox([this](const QString& caption, const QString& message) { errors_ << caption + "|" + message; });
    SetClockTimeSource(&time_);
    InitApplication();
    CreateForms();
    Form1->show();
  }
  void cleanup() {
    AttachJournal(Sheet(), Rec(), nullptr);
    DestroyForms();
    dir_.reset();
  }

  void startupShowsTheChoiceInFrontOfTheSheet() {
    QVERIFY(Form1->isVisible());
    QTRY_VERIFY(Form5->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), Form5);
    QTRY_VERIFY(!Form5->timer(1)->isActive());
    QVERIFY(!Form1->timer(1)->isActive());
    QVERIFY(!Form1->timer(2)->isActive());  // never wakes the program
    QVERIFY(!Form2->isVisible() && !Form3->isVisible() && !Form4->isVisible());
    QCOMPARE(Form5->itemIndex(), -1);
    QCOMPARE(Form1->windowTitle(), QStringLiteral("データ入力"));
    QCOMPARE(Cell(Form1->StringGrid1, 1, 0), QStringLiteral("団体名"));
    QCOMPARE(Form1->edit(21)->text(), QStringLiteral("ファイル名"));
    QCOMPARE(Btn(Form2, 32)->geometry(), QRect(80 + 88 * 7, 408, 73, 41));
    QCOMPARE(Form2->panel(1)->text(), QStringLiteral("00:00"));
  }

  void aClickAnywhereOnAnItemsRowChoosesIt() {
    QTRY_VERIFY(Form5->isVisible());
    for (int i : {1, 0}) {
      auto* row = Form5->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(i));
      QCOMPARE(row->geometry(), QRect(5, 13 + 44 * i, 175, 44));
      const QPoint farEnd(170, 13 + 44 * i + 40);  // right of the label, near the row's foot
      QWidget* hit = Form5->RadioGroup1->childAt(farEnd);
      QCOMPARE(hit, row);
      QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(Form5->RadioGroup1, farEnd));
      QCOMPARE(Form5->itemIndex(), i);
    }
  }

  void theRecordingScreensClockReadsTheSteadySource() {
    DestroyForms();
    SetClockTimeSource(nullptr);
    CreateForms();
    QVERIFY(dynamic_cast<MonotonicTimeSource*>(&Clock().timeSource()));
  }

  void okWithNothingChosenDoesNothingThenNewListKeepsTheSheet() {
    QTRY_VERIFY(Form5->isVisible());
    Type(Form1->edit(3), QStringLiteral("typed"));
    Click(Form5, 1);
    QVERIFY(Form5->isVisible());
    Form5->findChild<QRadioButton*>("RadioGroup1Item0")->click();
    QCOMPARE(Form5->itemIndex(), 0);
    Click(Form5, 1);
    QVERIFY(!Form5->isVisible());
    QCOMPARE(Sheet().edit(3), Text("typed"));
  }

  void backUpFillsTheSheetOnlyUntilTheFirstSwitch() {
    QTRY_VERIFY(Form5->isVisible());
    Form5->findChild<QRadioButton*>("RadioGroup1Item1")->click();
    Click(Form5, 1);  // no file yet
    QCOMPARE(errors_, QStringList{QStringLiteral("kiroku|ファイルが見つかりません.")});
    QVERIFY(Form5->isVisible());
    QCOMPARE(Form5->itemIndex(), 1);

    std::string file = "\x83\x60\x81\x5b\x83\x80\x41\r\nAnn\r\n";  // チームA
    for (int n = 3; n <= 34; ++n) file += "\r\n";
    file += "\x83\x56\x83\x85\x81\x5b\x83\x67\xff\r\n";  // シュート and a byte that is not CP932
    testing::WriteFileBytes("morvane.txt", file);
    Click(Form5, 1);
    QVERIFY(!Form5->isVisible());
    QCOMPARE(Cell(Form1->StringGrid1, 1, 0), QStringLiteral("チームA"));
    QCOMPARE(Form1->edit(1)->text().left(4), QStringLiteral("シュート"));
    QCOMPARE(Hex(Sheet().edit(1)), QByteArray("83 56 83 85 81 5b 83 67 ff"));  // kept byte for byte

    toRecording();
    QCOMPARE(Btn(Form2, 1)->text(), QStringLiteral("Ann"));
    QCOMPARE(Form2->panel(2)->text(), QStringLiteral("チームA"));
    QCOMPARE(Hex(KForm::Caption(Btn(Form3, 1))), QByteArray("83 56 83 85 81 5b 83 67 ff"));
  }

  void backUpAfterTheFirstSwitchFillsOnlyTheSheet() {
    QTRY_VERIFY(Form5->isVisible());
    toRecording();  // the sheet still at its defaults
    testing::WriteFileBytes("morvane.txt", "Reds\r\nAnn\r\n");
    Form5->findChild<QRadioButton*>("RadioGroup1Item1")->click();
    Click(Form5, 1);
    QVERIFY(!Form5->isVisible());
    QCOMPARE(Cell(Form1->StringGrid1, 2, 0), QStringLiteral("Ann"));
    QVERIFY(!Btn(Form2, 1)->isVisible());
    QCOMPARE(Form2->panel(4)->text(), QStringLiteral("団体名"));
  }

  void aWholeEventAndEachCorrectionThroughTheButtons() {
    startedGame();
    QCOMPARE(Btn(Form2, 1)->text(), QStringLiteral("佐藤"));
    QVERIFY(!Btn(Form2, 3)->isVisible());
    QVERIFY(Btn(Form2, 17)->isVisible() && !Btn(Form2, 18)->isVisible());
    QVERIFY(!Btn(Form2, 33)->isEnabled() && Btn(Form2, 34)->isEnabled());
    time_.advanceSeconds(75.4);
    Form2->Timer1Timer();
    QCOMPARE(Form2->panel(1)->text(), QStringLiteral("01:15"));

    Click(Form2, 2);  // 鈴木
    QTRY_VERIFY(Form3->isVisible());
    QVERIFY(!Btn(Form2, 1)->isEnabled() && !Btn(Form2, 36)->isEnabled());
    QCOMPARE(Cell(Form2->StringGrid1, 1, 0), QStringLiteral("01：15"));
    Click(Form3, 11);  // 修正: back to the player
    QTRY_VERIFY(!Form3->isVisible());
    QCOMPARE(Cell(Form2->StringGrid1, 1, 0), QString());
    QVERIFY(Btn(Form2, 1)->isEnabled());

    Click(Form2, 2);
    Click(Form3, 2);  // パス
    QTRY_VERIFY(Form4->isVisible());
    QVERIFY(!Form3->isVisible());
    Click(Form4, 11);  // 修正: back to item 2
    QTRY_VERIFY(Form3->isVisible());
    QVERIFY(!Form4->isVisible());
    Click(Form3, 1);  // シュート
    Click(Form4, 2);  // 左
    QTRY_VERIFY(!Form4->isVisible());
    QCOMPARE(Cell(Form2->StringGrid1, 1, 1), QStringLiteral("鈴木"));
    QCOMPARE(Cell(Form2->StringGrid1, 1, 2), QStringLiteral("シュート"));
    QCOMPARE(Cell(Form2->StringGrid1, 1, 3), QStringLiteral("左"));
    QCOMPARE(Rec().TallyTable.at(1, 2, 1, 2), 1);
    QCOMPARE(Form2->StringGrid1->model()->rowCount(), 6);  // 7 grid rows less the header
    QCOMPARE(Form2->StringGrid1->currentIndex().row(), 1);  // grid row 2

    Click(Form2, 36);  // 修正 on the recording screen
    QTRY_VERIFY(Form4->isVisible());
    QVERIFY(!Btn(Form2, 1)->isEnabled() && !Btn(Form2, 36)->isEnabled());
    QCOMPARE(Rec().TallyTable.at(1, 2, 1, 2), 0);
    Click(Form4, 1);
    QCOMPARE(Rec().TallyTable.at(1, 2, 1, 1), 1);
    QCOMPARE(Cell(Form2->StringGrid1, 1, 3), QStringLiteral("右"));
    QVERIFY(Btn(Form2, 36)->isEnabled());
  }

  void aPickerClosedThroughItsWindowStepsBack() {
    startedGame();
    Click(Form2, 1);
    QTRY_VERIFY(Form3->isVisible());
    Form3->close();
    QVERIFY(!Form3->isVisible());
    QVERIFY(Btn(Form2, 1)->isEnabled());
    QCOMPARE(Cell(Form2->StringGrid1, 1, 1), QString());

    Click(Form2, 1);
    Click(Form3, 1);
    QTRY_VERIFY(Form4->isVisible());
    Form4->close();
    QTRY_VERIFY(Form3->isVisible());
    QCOMPARE(Cell(Form2->StringGrid1, 1, 2), QString());
    Click(Form3, 2);
    Click(Form4, 1);  // the event still completes
    QCOMPARE(Rec().historyDepth(), 1);
    QVERIFY(!Form3->isVisible() && !Form4->isVisible());
  }

  void switchingTwiceAppliesTheLabelsOnce() {
    QTRY_VERIFY(Form5->isVisible());
    Form5->close();
    fillSheet();
    toRecording();
    QVERIFY(!Btn(Form2, 1)->isEnabled());
    Form1->StringGrid1->model()->setData(Form1->StringGrid1->model()->index(1, 0), QStringLiteral("別人"));
    Click(Form2, 35);  // 画面切り替え
    QTRY_COMPARE(QApplication::activeWindow(), Form1);
    QVERIFY(Form2->isVisible());
    Click(Form1, 2);
    QTRY_COMPARE(QApplication::activeWindow(), Form2);
    QCOMPARE(Btn(Form2, 1)->text(), QStringLiteral("佐藤"));
    QCOMPARE(Rec().LabelsPending, 0);
  }

  void closingTheRecordingScreenHidesItAndTheClockRunsOn() {
    startedGame();
    Form2->close();
    QVERIFY(!Form2->isVisible());
    QVERIFY(Form2->timer(1)->isActive());
    time_.advanceSeconds(30);
    Form2->Timer1Timer();
    toRecording();
    QCOMPARE(Form2->panel(1)->text(), QStringLiteral("00:30"));
    QVERIFY(Btn(Form2, 1)->isEnabled());
    QTRY_VERIFY(Form5->isVisible());
    Form5->close();
    QVERIFY(!Form5->isVisible());
    QCOMPARE(Cell(Form1->StringGrid1, 2, 0), QStringLiteral("佐藤"));
  }

  void closingTheSetupSheetEndsTheProgram() {
    QTimer::singleShot(0, Form1, [] { Click(Form1, 5); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
  }

  void fileErrorsShowTheBoxAndChangeNothing() {
    startedGame();
    Click(Form2, 1);
    Click(Form3, 1);
    Click(Form4, 1);
    Form1->edit(21)->setText(QString());
    Type(Form1->edit(21), QStringLiteral("nowhere/game"));
    const auto tally = Rec().TallyTable;
    Click(Form1, 4);  // データ保存
    QCOMPARE(errors_, QStringList{QStringLiteral("kiroku|ファイル名の指定が間違っています.")});
    QCOMPARE(Rec().TallyTable, tally);
    QVERIFY(Form1->isVisible() && Form2->isVisible());

    Form1->edit(21)->setText(QString());
    Type(Form1->edit(21), QStringLiteral("game"));
    Click(Form1, 4);
    QCOMPARE(errors_.size(), 1);
    QVERIFY(testing::FileExists("gamelist.xls") && testing::FileExists("gametable.xls"));

    Click(Form1, 3);  // データ登録
    QVERIFY(testing::FileExists("morvane.txt"));
  }

  void fieldsTakeOnlyWhatCp932CanHold() {
    Cp932LineEdit* e = Form1->edit(5);
    Type(e, QStringLiteral("A\u301C"));  // WAVE DASH
    QCOMPARE(e->text(), QStringLiteral("A\uFF5E"));
    QCOMPARE(Hex(Sheet().edit(5)), QByteArray("41 81 60"));
    Type(e, QStringLiteral("\U0001F600"));  // no CP932 counterpart
    Type(e, QStringLiteral("\u00E9"));
    QCOMPARE(Hex(Sheet().edit(5)), QByteArray("41 81 60"));
    Type(e, QStringLiteral("ｱ"));
    QCOMPARE(Hex(Sheet().edit(5)), QByteArray("41 81 60 b1"));

    // Bytes read from a file that are not CP932 stay until that text is edited.
    Sheet().setEdit(6, "\x41\x85\x40");  // a pair that CP932 leaves unassigned
    Sheet().StringGrid1.setCell(1, 3, "\x42\x85\x40");
    auto* grid = Form1->StringGrid1->model();
    grid->setData(grid->index(2, 0), grid->data(grid->index(2, 0)));  // committed unchanged
    QCOMPARE(Hex(Sheet().StringGrid1.cell(1, 3)), QByteArray("42 85 40"));
    Type(Form1->edit(6), QStringLiteral("z"));  // the unknown character may stay, the rest is edited
    QVERIFY(Form1->edit(6)->text().endsWith(QStringLiteral("z")));
    QCOMPARE(Hex(Sheet().edit(6)), QByteArray("41 85 40 7a"));
    grid->setData(grid->index(2, 0), QStringLiteral("y") + grid->data(grid->index(2, 0)).toString());
    QCOMPARE(Hex(Sheet().StringGrid1.cell(1, 3)), QByteArray("79 42 85 40"));

    // One line always: a pasted line break becomes one blank, in a field and in a cell.
    Form1->edit(7)->setText(QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("Shot\r\nPass\n"));
    Form1->edit(7)->paste();
    QCOMPARE(Hex(Sheet().edit(7)), QByteArray("53 68 6f 74 20 50 61 73 73 20"));
    grid->setData(grid->index(3, 0), QStringLiteral("a\rb\r\n"));
    QCOMPARE(Hex(Sheet().StringGrid1.cell(1, 4)), QByteArray("61 20 62 20"));

    QVERIFY(Cp932CanHold(QStringLiteral("団体名ｱｲｳ～")));
    QCOMPARE(Hex(ToCp932(FromCp932("\x1a\x1c\x7f"))), QByteArray("1a 1c 7f"));
    QCOMPARE(FromCp932("\x1a\x1c\x7f"), QStringLiteral("\u001A\u001C\u007F"));
    QCOMPARE(Hex(ToCp932(FromCp932("\x80\xa0\xfd\xfe\xff"))), QByteArray("80 a0 fd fe ff"));
    QVERIFY(!Cp932CanHold(QStringLiteral("\u00E9")));
    QCOMPARE(ToCp932(NormalizeForCp932(QStringLiteral("\u2212\u2016"))), Text("\x81\x7c\x81\x61"));
  }

  // File names and the screens read every CP932 character alike, and refuse the same bytes.
  void namesAndScreensReadTheWholeCodePageAlike() {
    QStringList differ;
    int characters = 0;
    auto check = [&](const Text& bytes) {
      const QString shown = FromCp932(bytes);
      const bool character = !shown.isEmpty() && !shown.contains(QChar::ReplacementCharacter);
      QString name = QStringLiteral("refused");
      try {
        name = QString::fromStdString(platform::ToNativeName(bytes));
      } catch (const IoError& e) {
        if (e.code() != 3) name = QStringLiteral("code %1").arg(e.code());
      }
      if (character) ++characters;
      if (name != (character ? shown : QStringLiteral("refused"))) differ << QString::fromLatin1(Hex(bytes));
    };
    for (int b = 1; b < 0x100; ++b)
      if (!IsLead(b)) check(Text(1, static_cast<char>(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLead(lead)) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail)
        if (trail != 0x7F) check(Text{static_cast<char>(lead), static_cast<char>(trail)});
    }
    QCOMPARE(differ.mid(0, 20).join(QStringLiteral(";")), QString());
    // Half-width katakana, NEC row 13, NEC-selected and IBM extensions, the user-defined area.
    for (const char* bytes : {"\xa1", "\xdf", "\x87\x40", "\x87\x9c", "\xed\x40", "\xee\xfc", "\xfa\x40",
                              "\xfc\x4b", "\xf0\x40", "\xf9\xfc"})
      QVERIFY2(FromCp932(bytes).size() == 1 && FromCp932(bytes) != QChar::ReplacementCharacter, bytes);
    // The lone bytes and the bytes that are no character: tests/files/cp932_codec_test.cpp, on both platforms.
    QVERIFY(characters > 9000);  // the JIS rows, the extensions and 1,880 user-defined characters
  }

  // Without the system's converter nothing starts: the error box says why.
  void aSystemWithoutCp932IsToldBeforeAnythingStarts() {
    codec::ReopenForTest(true);
    QString shown;
    QTimer::singleShot(0, [&shown] {
      QMessageBox* box = ShownBox();
      shown = box ? box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon()) : QString();
      if (box) box->close();
    });
    const bool usable = Cp932Usable();
    codec::ReopenForTest(false);
    QVERIFY(!usable && Cp932Usable());
    QCOMPARE(shown, QStringLiteral("kiroku|文字コード CP932 を変換できないため、kiroku を起動できません。|3"));  // the error icon
  }

  void theOfferNamesTheRunsStartTeamsAndCounts() {
    UnsavedRun run;
    run.started = "20261208-143000";
    run.team1 = "\x93\x8c\x8d\x82\x8d\x5a";      // 東高校
    run.team2 = "\x90\xbc\x83\x4e\x83\x89\x83\x75";  // 西クラブ
    run.events[0] = 23;
    run.events[1] = 19;
    QCOMPARE(OfferText(run), QStringLiteral("前回の記録は保存されていません。\n"
                                            "（12月8日 14:30 開始、東高校 23 件・西クラブ 19 件）\n"
                                            "続きから記録しますか？"));
    run.started = "20260301-090500";
    QVERIFY(OfferText(run).contains(QStringLiteral("（3月1日 9:05 開始、")));
  }

  // The real question box: Enter gives the default answer; Escape and the
  // close control the other one.
  void theOfferBoxAnswersByEnterEscapeAndItsCloseControl() {
    SetQuestionBox({});
    QList<int> answers;
    for (int way = 0; way < 3; ++way) {
      Ask(QStringLiteral("?"), QStringLiteral("続きから記録"), QStringLiteral("新しく始める"),
          [&answers](bool yes) { answers << yes; });
      QTRY_VERIFY(ShownBox());
      QMessageBox* box = ShownBox();
      QCOMPARE(box->icon(), QMessageBox::Question);
      QCOMPARE(box->windowTitle(), QStringLiteral("kiroku"));
      QCOMPARE(box->windowModality(), Qt::ApplicationModal);
      QCOMPARE(box->defaultButton()->text(), QStringLiteral("続きから記録"));
      if (way == 0) QTest::keyClick(box, Qt::Key_Return);
      if (way == 1) QTest::keyClick(box, Qt::Key_Escape);
      if (way == 2) box->close();
      QTRY_COMPARE(answers.size(), way + 1);
    }
    QCOMPARE(answers, (QList<int>{1, 0, 0}));
  }

  void startingAnewShowsTheChoiceAndRetiresTheRun() {
    QTRY_VERIFY(Form5->isVisible());  // nothing to offer: as always, and nothing asked
    QVERIFY(asked_.isEmpty());
    MemoryJournal next;
    nextRunOffering(MemoryJournal().bytes, next);
    SetQuestionBox([this](const QString&, const QString& message) {
      asked_ << message;
      return false;  // 新しく始める
    });
    QTRY_VERIFY(Form5->isVisible());
    QCOMPARE(asked_.size(), 1);
    QCOMPARE(retired_, QStringList{QStringLiteral("last.journal")});
    QVERIFY(!Form1->timer(1)->isActive());
    QCOMPARE(Kinds(next.bytes), QStringList());
  }

  // Only the operator answers. The end of the session as Windows tells it
  // (WM_ENDSESSION) closes the box with the program: no answer, and the run
  // stays to be offered. (A SIGTERM's quit: scripts/offer_check.sh.)
  void theSessionsEndWhileTheOfferIsUpAnswersNothing() {
    SetQuestionBox({});
    MemoryJournal next;
    nextRunOffering(MemoryJournal().bytes, next);
    QTRY_VERIFY(ShownBox());
    SetProgramEnding();  // what the session's end does first
    ShownBox()->close();
    QTest::qWait(20);
    QCOMPARE(retired_, QStringList());
    QVERIFY(!Form5->isVisible());
  }

  // Read first, retired after: a run that cannot be read is offered again.
  void aRunThatCannotBeReadStaysToBeOffered() {
    MemoryJournal next;
    nextRunOffering(MemoryJournal().bytes, next);
    QFile::remove(QStringLiteral("last.journal"));  // gone before the answer
    QTRY_VERIFY(Form5->isVisible());
    QCOMPARE(errors_, QStringList{QStringLiteral("kiroku|ファイルが見つかりません.")});
    QCOMPARE(retired_, QStringList());
  }

  // Retired once the continued records are durable in this run's journal:
  // never while its file cannot be made, which the warning tells.
  void aContinuedRunIsRetiredOnceItsRecordsAreDurable() {
    MemoryJournal first;
    recordInto(first);
    startedGame();
    for (const bool fails : {true, false}) {
      MemoryJournal unused;
      nextRunOffering(first.bytes, unused);
      JournalWriter writer("jw", {.failingAfter = std::chrono::milliseconds(100),
                                  .create = [fails](const std::string& path, bool& exists) {
                                    return fails ? nullptr : platform::CreateNew(path, exists);
                                  }});
      UseJournal(&writer, "jw");
      QTRY_COMPARE(warnings_.size(), 1);  // the first time only
      QTRY_COMPARE(retired_.size(), fails ? 0 : 1);
      UseJournal(nullptr, {});
    }
    QVERIFY(warnings_[0].endsWith(JournalWarningText()));
  }

  // Continued as far as a journal changed on disk reads, and told once, when
  // the event it left half entered is over.
  void aDamagedJournalIsContinuedAsFarAsItReadsAndSaysSo() {
    MemoryJournal first;
    recordInto(first);
    startedGame();
    Click(Form2, 1);
    Click(Form3, 1);
    Click(Form4, 1);
    std::string journal = first.bytes;
    journal[journal.rfind("\titem2\t") + 5] = 'X';
    MemoryJournal next;
    nextRunOffering(journal, next);
    QTRY_VERIFY(Form3->isVisible());  // up to the player press
    QCOMPARE(retired_, QStringList{QStringLiteral("last.journal")});
    QTest::qWait(20);
    QCOMPARE(warnings_, QStringList());
    Click(Form3, 2);
    Click(Form4, 1);
    QCOMPARE(warnings_, QStringList{QStringLiteral("kiroku|記録の控え（ジャーナル）の一部が読めませんでした。"
                                                   "読めたところまでを復元しました。試合の後、必ず「データ保存」を押してください。")});
    Click(Form2, 2);
    Click(Form3, 1);
    Click(Form4, 1);
    QCOMPARE(warnings_.size(), 1);
  }

  // Continued twice over, a game half entered at its third stage, with a
  // correction of each kind before, writes what the first run would have.
  void aContinuedRunStandsWhereItStoppedTwiceOver() {
    MemoryJournal first;
    recordInto(first);
    startedGame();
    Click(Form2, 1);
    Click(Form3, 11);  // 修正 at item 2
    Click(Form2, 2);
    Click(Form3, 2);
    Click(Form4, 11);  // 修正 at item 3
    Click(Form3, 1);
    Click(Form4, 2);
    Click(Form2, 36);  // the event taken back to item 3
    Click(Form4, 1);
    Click(Form2, 17);  // 高橋: half entered
    Click(Form3, 2);
    const std::string interrupted = first.bytes;
    const Files expected = SavedFiles(QStringLiteral("first"));
    QCOMPARE(expected.size(), size_t{3});

    // Outside the loop: the screens keep writing to the last one after it.
    MemoryJournal runs[2];
    for (int generation = 1; generation <= 2; ++generation) {
      MemoryJournal& next = runs[generation - 1];
      const std::string journal = generation == 1 ? interrupted : first.bytes;
      nextRunOffering(journal, next);
      QTRY_VERIFY(Form4->isVisible());
      QTRY_COMPARE(QApplication::activeWindow(), Form4);  // the half-entered event's picker in front
      QVERIFY(Form2->isVisible() && !Form3->isVisible() && !Form5->isVisible());
      QCOMPARE(asked_.size(), generation);
      QCOMPARE(Cell(Form2->StringGrid1, 1, 3), QStringLiteral("右"));
      QCOMPARE(Cell(Form2->StringGrid2, 1, 2), QStringLiteral("パス"));
      QCOMPARE(Btn(Form2, 1)->text(), QStringLiteral("佐藤"));
      QVERIFY(!Btn(Form2, 3)->isVisible() && !Btn(Form2, 1)->isEnabled());
      // The clock stands paused at the time it last showed.
      QVERIFY(!Form2->timer(1)->isActive());
      QVERIFY(!Btn(Form2, 33)->isEnabled() && Btn(Form2, 34)->isEnabled());
      QCOMPARE(Form2->panel(1)->text(), QStringLiteral("00:00"));
      QCOMPARE(Kinds(next.bytes).last(), QStringLiteral("clock"));
      QCOMPARE(SavedFiles(QStringLiteral("continued%1").arg(generation)), expected);
      if (generation == 1) first.bytes = next.bytes;  // the second crash continues this run
    }
    // Going on: the event completes, and 修正 takes it back as in any run.
    Click(Form4, 2);
    QCOMPARE(Rec().TallyTable.at(2, 1, 2, 2), 1);
    Click(Form2, 36);
    QTRY_VERIFY(Form4->isVisible());
    Click(Form4, 1);
    QCOMPARE(Rec().TallyTable.at(2, 1, 2, 2), 0);
    QCOMPARE(Rec().TallyTable.at(2, 1, 2, 1), 1);
    QCOMPARE(Rec().historyDepth(), 2);
    Click(Form2, 34);  // resumed from the time it stood at
    time_.advanceSeconds(5.2);
    Form2->Timer1Timer();
    QCOMPARE(Form2->panel(1)->text(), QStringLiteral("00:05"));
  }

  void aGameNeverSwitchedToRecordingContinuesOnTheSheet() {
    MemoryJournal first;
    recordInto(first);
    fillSheet();
    const std::string journal = first.bytes;
    MemoryJournal next;
    nextRunOffering(journal, next);
    QTRY_COMPARE(asked_.size(), 1);  // the offer comes once the sheet is drawn
    QTRY_COMPARE(QApplication::activeWindow(), Form1);
    QVERIFY(!Form2->isVisible() && !Form5->isVisible());
    QCOMPARE(Form1->edit(2)->text(), QStringLiteral("パス"));
    QCOMPARE(Cell(Form1->StringGrid1, 2, 2), QStringLiteral("高橋"));
    QVERIFY(!Kinds(next.bytes).contains(QStringLiteral("clock")));
    toRecording();
    QVERIFY(Btn(Form2, 33)->isEnabled());  // never started: スタート as usual
    QCOMPARE(Form2->panel(1)->text(), QStringLiteral("00:00"));
  }

  // Qt closes the pickers as the program ends: that is no 修正 of the operator's.
  void endingWithAPickerOpenJournalsNoCorrection() {
    MemoryJournal journals[2];  // outlive the forms, which go at the next stage
    for (int stage : {2, 3}) {
      DestroyForms();
      CreateForms();
      Form1->show();
      MemoryJournal& journal = journals[stage - 2];
      recordInto(journal);
      startedGame();
      Click(Form2, 1);
      if (stage == 3) Click(Form3, 1);
      QTRY_VERIFY(stage == 2 ? Form3->isVisible() : Form4->isVisible());
      // 終了, or a quit from elsewhere (a signal, the session's end).
      QTimer::singleShot(0, Form1, [stage] { stage == 2 ? Click(Form1, 5) : QCoreApplication::quit(); });
      QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
      QCOMPARE(QCoreApplication::exec(), 0);
      QCOMPARE(Kinds(journal.bytes).last(), stage == 2 ? QStringLiteral("player") : QStringLiteral("item2"));
      QCOMPARE(Rec().cursor(1).column, stage);
    }
  }

  void theJournalWarningWaitsForTheEventAndComesOnce() {
    startedGame();
    Click(Form2, 1);
    JournalFailing();  // as from the writer's thread
    QTest::qWait(20);
    Click(Form3, 1);
    QTest::qWait(20);
    QCOMPARE(warnings_, QStringList());  // not in the middle of an event
    Click(Form4, 11);
    Click(Form3, 11);  // the event taken back: the capture is over
    const QString expected = QStringLiteral(
        "kiroku|記録の控え（ジャーナル）を保存できません。停電や強制終了のときは記録が失われます。"
        "試合の後、必ず「データ保存」を押してください。");
    QCOMPARE(warnings_, QStringList{expected});
    JournalFailing();
    Click(Form2, 2);
    Click(Form3, 1);
    Click(Form4, 1);
    QTest::qWait(20);
    QCOMPARE(warnings_.size(), 1);
  }

  void theJournalWarningShowsAtOnceBetweenEvents() {
    startedGame();
    JournalFailing();
    QTRY_COMPARE(warnings_.size(), 1);
    SetWarningBox({});  // the real box: it waits for nothing
    DestroyForms();
    CreateForms();
    Form1->show();
    JournalFailing();
    QTRY_VERIFY(ShownBox());
    QMessageBox* box = ShownBox();
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QVERIFY(!box->isModal() && box->windowModality() == Qt::NonModal);
    QCOMPARE(box->windowTitle(), QStringLiteral("kiroku"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    box->close();
  }

  // 集計 shows, and コピー copies, what データ保存 would write at that moment:
  // each block's lines of the table file cut to 12 cells, team 1 first.
  void theTallyScreenCopiesTheTableFilesBlocks() {
    QTRY_VERIFY(Form5->isVisible());
    Form5->close();
    MemoryJournal journal;
    AttachJournal(Sheet(), Rec(), &journal);
    startedGame();
    Click(Form2, 1);
    Click(Form3, 2);
    const std::string beforeOpening = journal.bytes;
    Click(Form2, 37);  // opened during a capture: the picker keeps the front and the next press
    QTRY_VERIFY(Form6->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), Form4);
    Form6->ComboBox1->setCurrentIndex(2);  // 左
    Click(Form6, 1);
    QCOMPARE(journal.bytes, beforeOpening);  // nothing of the screen is journalled
    Click(Form4, 2);
    QCOMPARE(Form6->StringGrid1->model()->index(1, 2).data().toString(), QStringLiteral("1"));  // 佐藤, パス, 左
    Click(Form2, 2);
    Click(Form3, 1);
    Click(Form4, 1);
    Click(Form2, 17);
    Click(Form3, 2);
    Click(Form4, 1);
    Click(Form2, 36);  // 修正 takes 高橋's event back
    QTRY_VERIFY(Form4->isVisible());
    QCOMPARE(Form6->StringGrid2->model()->index(17, 11).data().toString(), QStringLiteral("0"));
    Click(Form4, 2);
    Form1->edit(12)->setText(QString());
    Type(Form1->edit(12), QStringLiteral("逆"));  // a label changed on the sheet after the switch
    QCOMPARE(Form6->ComboBox1->itemText(2), QStringLiteral("逆"));
    QVERIFY(Form6->StringGrid1->isRowHidden(3) && !Form6->StringGrid1->isRowHidden(2));
    Form1->edit(12)->selectAll();
    QTest::keyClick(Form1->edit(12), Qt::Key_Backspace);  // the label emptied: its counts keep it on offer
    QCOMPARE(Form6->ComboBox1->itemText(2), QStringLiteral("（名前なし 2）"));
    QCOMPARE(Form6->ComboBox1->count(), 3);  // 合計, 1, 2: the other categories have neither label nor count

    Form1->edit(21)->setText(QString());
    Type(Form1->edit(21), QStringLiteral("game"));
    for (int choice = 0; choice < Form6->ComboBox1->count(); ++choice) {
      Form6->ComboBox1->setCurrentIndex(choice);
      Form6->activateWindow();
      QTRY_COMPARE(QApplication::activeWindow(), Form6);
      QTest::keyClick(Form6, Qt::Key_C, Qt::ControlModifier);
      const Text copied = ToCp932(QGuiApplication::clipboard()->text());
      Click(Form1, 4);
      const std::string table = testing::ReadFileBytes("gametable.xls");
      std::vector<std::string> lines;
      for (size_t at = 0, end; (end = table.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(table.substr(at, end - at));
      const int k = choice == 0 ? 11 : choice;  // categories 1 and 2, in order
      std::string expected;
      for (int team = 1; team <= 2; ++team) {
        if (team == 2) expected += "\r\n";
        for (int r = 1; r <= 18; ++r) {
          const std::string& line = lines.at(209 * (team - 1) + 19 * (k - 1) + r - 1);
          size_t cut = 0;
          for (int cell = 0; cell < 12; ++cell) cut = line.find('\t', cut) + 1;
          expected += line.substr(0, cut - 1) + "\r\n";
        }
      }
      QCOMPARE(Hex(copied), Hex(expected));
    }
  }
  // Every control of 通算集計 where it belongs, and the sheet's button to it
  // last in the sheet's tab order with nothing else moved.
  void theSeasonScreenAndItsButtonAreLaidOut() {
    QVERIFY(!Form7->isVisible() && !Form7->StringGrid1);  // made at the first show, which costs the start nothing
    Form7->Build();
    const struct {
      QWidget* form;
      const char* name;
      QRect place;       // no size: only the place
      const char* text;  // its text or chosen item; nullptr: none
    } controls[] = {{Form7, "Label1", {8, 12, 0, 0}, "フォルダー"},     {Form7, "Edit1", {80, 8, 520, 20}, nullptr},
                    {Form7, "Button1", {608, 4, 97, 28}, "フォルダー…"}, {Form7, "StringGrid1", {8, 40, 768, 161}, nullptr},
                    {Form7, "ComboBox1", {8, 212, 200, 24}, ""},         {Form7, "ComboBox2", {216, 212, 160, 24}, "合計"},
                    {Form7, "ComboBox3", {384, 212, 120, 24}, "回数"},   {Form7, "Button2", {520, 208, 97, 32}, "コピー"},
                    {Form7, "Button3", {624, 208, 113, 32}, "Excel に保存"},
                    {Form7, "StringGrid2", {8, 248, 768, 305}, nullptr},
                    {Form1, "Button6", {624, 488, 97, 49}, "通算集計"},  {Form1, "Button5", {624, 424, 97, 49}, "終了"}};
    for (const auto& c : controls) {
      auto* w = c.form->findChild<QWidget*>(c.name);
      QVERIFY2(w && w->pos() == c.place.topLeft() && (c.place.width() == 0 || w->size() == c.place.size()), c.name);
      if (c.text) QCOMPARE(w->property(qobject_cast<QComboBox*>(w) ? "currentText" : "text").toString(), QString(c.text));
    }
    QCOMPARE(Form7->windowTitle(), QStringLiteral("通算集計"));
    QCOMPARE(Form7->outerFrame().size(), QSize(800, 600));
    QVERIFY(!Form7->isVisible() && Form7->Edit1->isReadOnly());
    QCOMPARE(Form7->Edit1->text(), QDir::toNativeSeparators(QDir::currentPath()));
    QCOMPARE(TabChain(Btn(Form7, 1)), QStringList({"Button1", "StringGrid1", "ComboBox1", "ComboBox2", "ComboBox3",
                                                   "Button2", "Button3", "StringGrid2"}));
    QCOMPARE(Btn(Form1, 6)->font(), Form1->font());
    const QStringList sheet = TabChain(Form1->StringGrid1);
    QCOMPARE(sheet.mid(sheet.size() - 3), QStringList({"Edit21", "Button5", "Button6"}));
  }

  // 通算集計 through the real forms over games written by データ保存: the
  // checks kept across reads, team, category and view, copy and workbook,
  // and a picker left in front.
  void theSeasonScreenAddsUpTheSavedGames() {
    // 東 and 西 on either side with other rosters, and a game whose list file is not one.
    savedGame("a", {"東", "佐藤", "鈴木"}, {"西", "高橋"}, {{1, 1, 1}, {2, 2, 2}, {17, 1, 1}});
    savedGame("b", {"西", "高橋"}, {"東", "佐藤", "田中"}, {{17, 1, 1}, {18, 2, 1}, {1, 2, 2}});
    testing::WriteFileBytes("ctable.xls", testing::ReadFileBytes("atable.xls"));
    testing::WriteFileBytes("clist.xls", "x\r\n");
    Click(Form2, 1);  // opened while an item is being picked: the picker keeps the front
    QTRY_COMPARE(QApplication::activeWindow(), Form3);
    Click(Form1, 6);
    auto* games = Form7->StringGrid1->model();
    QTRY_COMPARE(games->rowCount(), 3);
    QCOMPARE(QApplication::activeWindow(), Form3);
    Click(Form3, 11);
    Form7->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), Form7);
    QCOMPARE(Cell(Form7->StringGrid1, 1, 2) + Cell(Form7->StringGrid1, 2, 2) + Cell(Form7->StringGrid1, 3, 2), QStringLiteral("abc"));
    QCOMPARE(Hex(ToCp932(Cell(Form7->StringGrid1, 2, 3) + Cell(Form7->StringGrid1, 2, 4))), Hex("\x90\xbc\x93\x8c"));
    QCOMPARE(Hex(ToCp932(Cell(Form7->StringGrid1, 3, 5))),  // 一覧表の形ではありません, greyed and no check
             Hex("\x88\xea\x97\x97\x95\x5c\x82\xcc\x8c\x60\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1"));
    QVERIFY(games->flags(games->index(2, 0)) == Qt::NoItemFlags && !games->index(2, 0).data(Qt::CheckStateRole).isValid());

    // 東 and 西 in two games each: 東 first, from the oldest game's team 1.
    QCOMPARE(Hex(ToCp932(Form7->ComboBox1->itemText(0))), Hex("\x93\x8c"));
    QCOMPARE(Form7->ComboBox1->count() * 10 + Form7->ComboBox2->count(), 23);  // 合計, 右, 左
    const char *sato = "\x8d\xb2\x93\xa1", *suzuki = "\x97\xe9\x96\xd8", *tanaka = "\x93\x63\x92\x86",
               *total = "\x8d\x87\x8c\x76", *played = "\x8e\x8e\x8d\x87\x90\x94",
               *shoot = "\x83\x56\x83\x85\x81\x5b\x83\x67", *pass = "\x83\x70\x83\x58";
    const Text counts = Rows({{total, played, shoot, pass, total}, {sato, "2", "2", "0", "2"},
                              {suzuki, "1", "0", "1", "1"}, {tanaka, "1", "0", "1", "1"}, {total, "2", "2", "2", "4"}});
    Form7->StringGrid2->setFocus();  // Ctrl+C copies the whole table, not the grid's current cell
    QTest::keyClick(Form7->StringGrid2, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), FromCp932(counts));
    // Each view, told by its totals row; 割合 only for a category, and 合計 brings 回数 back.
    const struct {
      int category, view, views;
      Text last;
    } choices[] = {{0, 1, 2, Rows({{total, "2", "1.0", "1.0", "2.0"}})},
                   {1, 2, 3, Rows({{total, "2", "100.0%", "50.0%", "75.0%"}})},  // 右: 2 of 2, 1 of 2, 3 of 4
                   {0, -1, 2, Rows({{total, "2", "2", "2", "4"}})}};
    for (const auto& c : choices) {
      Form7->ComboBox2->setCurrentIndex(c.category);
      if (c.view >= 0) Form7->ComboBox3->setCurrentIndex(c.view);
      QCOMPARE(Form7->ComboBox3->count(), c.views);
      Click(Form7, 2);  // コピー
      QVERIFY(QGuiApplication::clipboard()->text().endsWith(FromCp932(c.last)));
    }
    // Game a left out with a click: 西 is now first, 東 stays chosen, and 鈴木 goes.
    QTest::mouseClick(Form7->StringGrid1->viewport(), Qt::LeftButton, {},
                      Form7->StringGrid1->visualRect(games->index(0, 0)).center());
    QCOMPARE(Form7->ComboBox1->currentIndex(), 1);
    Click(Form7, 2);
    QCOMPARE(QGuiApplication::clipboard()->text(), FromCp932(Rows({{total, played, shoot, pass, total}, {sato, "1", "1", "0", "1"},
                                                                   {tanaka, "1", "0", "1", "1"}, {total, "1", "1", "1", "2"}})));
    // データ保存 while shown reads again: the new game checked, a still not;
    // so too after another folder and one that cannot be read.
    Form1->edit(21)->setText(QString());
    Type(Form1->edit(21), QStringLiteral("d"));
    Click(Form1, 4);
    QTRY_COMPARE(games->rowCount(), 4);
    const QString here = QDir::currentPath();
    SetFolderChoice([](QWidget*, const QString&) { return QStringLiteral("gone"); });
    Click(Form7, 1);
    SetFolderChoice({});
    QTRY_COMPARE(games->rowCount(), 1);
    QVERIFY(ToCp932(Cell(Form7->StringGrid1, 1, 5)).starts_with("\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1"));  // 読めません
    QVERIFY(!Btn(Form7, 2)->isEnabled() && !Btn(Form7, 3)->isEnabled());
    Form7->hide();
    Form7->setFolder(here);
    Click(Form1, 6);
    QTRY_COMPARE(games->rowCount(), 4);
    QCOMPARE(Cell(Form7->StringGrid1, 4, 2), QStringLiteral("d"));
    QCOMPARE(games->index(0, 0).data(Qt::CheckStateRole).toInt() * 10 + games->index(3, 0).data(Qt::CheckStateRole).toInt(),
             Qt::Unchecked * 10 + Qt::Checked);

    // Excel に保存: offered in the folder under the team's name; a place it
    // cannot write shows the error box and leaves nothing.
    QString offered;
    for (const QString& to : {QStringLiteral("nowhere/x.xlsx"), QStringLiteral("season.xlsx")}) {
      SetSaveChoice([&](QWidget*, const QString& start) { offered = start; return to; });
      Click(Form7, 3);
    }
    SetSaveChoice({});
    QCOMPARE(Hex(ToCp932(offered)), Hex(ToCp932(here) + "/\x92\xca\x8e\x5a\x8f\x57\x8c\x76\x5f\x93\x8c\x2e\x78\x6c\x73\x78"));
    QCOMPARE(errors_.size(), 1);
    QVERIFY(!QDir(QStringLiteral("nowhere")).exists());
    QCOMPARE(testing::ReadFileBytes("season.xlsx").substr(0, 2), std::string("PK"));
  }
};

QTEST_MAIN(UiTest)
#include "ui_test.moc"
