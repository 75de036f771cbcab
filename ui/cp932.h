#pragma once
#include <QString>
#include <QLineEdit>

#include "core/text.h"

namespace kiroku::ui {

// The screens show Unicode; everything below them keeps CP932 bytes.
QString FromCp932(const Text& bytes);
Text ToCp932(const QString& text);

// Replaces characters that have a usual CP932 counterpart by it (WAVE DASH
// by FULLWIDTH TILDE and the like), so that they can be stored, and each line
// break by one blank, so that a field never holds more than one line.
QString NormalizeForCp932(QString text);
// The bytes for an edited text: the characters the edit left in place at its
// start and end keep the bytes they had, even ones that are not CP932.
Text SpliceCp932(const Text& before, const QString& text);
// Where the system cannot convert CP932, says so in an error box and is
// false: every text would come out wrong, so the program starts nothing.
bool Cp932Usable();
// True when CP932 holds the text exactly: encoding and decoding give it back.
bool Cp932CanHold(const QString& text);

// For every field that the operator types into: takes a character as its
// CP932 counterpart, and refuses one that CP932 cannot hold.
// A single-line field that takes only what CP932 can hold: a character with
// a usual CP932 counterpart becomes it, one without is refused as it is typed
// or pasted. Text the program puts in (read from a file, say) may show
// characters CP932 cannot hold; they may stay while the rest is edited.
class Cp932LineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit Cp932LineEdit(QWidget* parent = nullptr);
  void setProgramText(const QString& text);

 signals:
  void operatorEdited(const QString& text);  // after the text was made safe

 private:
  void onEdited(const QString& text);
  bool acceptable(const QString& text) const;

  QString good_;  // the text as last set by the program or accepted
};

}  // namespace kiroku::ui
