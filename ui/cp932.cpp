#include "ui/cp932.h"

#include <QApplication>
#include <QMessageBox>

#include <algorithm>
#include <utility>
#include <vector>

#include "files/cp932_codec.h"

namespace kiroku::ui {

namespace {
// Characters that other Japanese code pages and input methods produce, and the
// character that CP932 holds in their place.
constexpr struct {
  char16_t from, to;
} kCounterparts[] = {
    {u'\u301C', u'\uFF5E'},  // WAVE DASH -> FULLWIDTH TILDE
    {u'\u2016', u'\u2225'},  // DOUBLE VERTICAL LINE -> PARALLEL TO
    {u'\u2212', u'\uFF0D'},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    {u'\u2014', u'\u2015'},  // EM DASH -> HORIZONTAL BAR
    {u'\u00A2', u'\uFFE0'},  // CENT SIGN -> FULLWIDTH CENT SIGN
    {u'\u00A3', u'\uFFE1'},  // POUND SIGN -> FULLWIDTH POUND SIGN
    {u'\u00AC', u'\uFFE2'},  // NOT SIGN -> FULLWIDTH NOT SIGN
    {u'\u00A6', u'\uFFE4'},  // BROKEN BAR -> FULLWIDTH BROKEN BAR
    {u'\u00A5', u'\uFFE5'},  // YEN SIGN -> FULLWIDTH YEN SIGN
    {u'\u203E', u'\uFFE3'},  // OVERLINE -> FULLWIDTH MACRON
};
}  // namespace

QString FromCp932(const Text& bytes) { return QString::fromStdU16String(codec::Decode(bytes)); }

Text ToCp932(const QString& text) { return codec::Encode(text.toStdU16String()); }

QString NormalizeForCp932(QString text) {
  for (QChar& c : text)
    for (const auto& m : kCounterparts)
      if (c.unicode() == m.from) c = QChar(m.to);
  // A field holds one line: each line break (CR LF, CR or LF) becomes one blank.
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text;
}

Text SpliceCp932(const Text& before, const QString& text) {
  // The old bytes cut into characters, each with the text it shows as.
  std::vector<std::pair<Text, QString>> chars;
  QString shown;
  for (size_t i = 0; i < before.size();) {
    const size_t n = cp932::CharLength(before, i);
    Text bytes = before.substr(i, n);
    QString piece = FromCp932(bytes);
    shown += piece;
    chars.emplace_back(std::move(bytes), std::move(piece));
    i += n;
  }
  if (shown != FromCp932(before)) return ToCp932(text);  // cannot be cut apart: encode as a whole

  size_t head = 0, headLen = 0;
  while (head < chars.size() && QStringView(text).sliced(headLen).startsWith(chars[head].second)) {
    headLen += static_cast<size_t>(chars[head].second.size());
    ++head;
  }
  size_t tail = chars.size(), tailLen = 0;
  while (tail > head) {
    const QString& piece = chars[tail - 1].second;
    const qsizetype room = text.size() - static_cast<qsizetype>(headLen + tailLen);
    if (piece.size() > room || !QStringView(text).first(text.size() - static_cast<qsizetype>(tailLen)).endsWith(piece))
      break;
    tailLen += static_cast<size_t>(piece.size());
    --tail;
  }
  Text out;
  for (size_t i = 0; i < head; ++i) out += chars[i].first;
  out += ToCp932(text.mid(static_cast<qsizetype>(headLen), text.size() - static_cast<qsizetype>(headLen + tailLen)));
  for (size_t i = tail; i < chars.size(); ++i) out += chars[i].first;
  return out;
}

bool Cp932Usable() {
  if (codec::Available()) return true;
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                  QStringLiteral("文字コード CP932 を変換できないため、kiroku を起動できません。"), QMessageBox::Ok);
  box.exec();
  return false;
}

bool Cp932CanHold(const QString& text) {
  bool ok = true;
  const Text bytes = codec::Encode(text.toStdU16String(), &ok);
  return ok && FromCp932(bytes) == text;
}

Cp932LineEdit::Cp932LineEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, &Cp932LineEdit::onEdited);
}

void Cp932LineEdit::setProgramText(const QString& text) {
  good_ = text;
  setText(text);
}

bool Cp932LineEdit::acceptable(const QString& text) const {
  if (Cp932CanHold(text)) return true;
  QString before = good_;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString c = text.mid(i, n);
    i += n - 1;
    if (Cp932CanHold(c)) continue;
    const auto at = before.indexOf(c);
    if (at < 0) return false;
    before.remove(at, c.size());
  }
  return true;
}

void Cp932LineEdit::onEdited(const QString& text) {
  const QString safe = NormalizeForCp932(text);
  if (!acceptable(safe)) {
    const int cursor = cursorPosition() - static_cast<int>(text.size() - good_.size());
    setText(good_);
    setCursorPosition(std::max(0, cursor));
    return;
  }
  if (safe != text) {
    const int cursor = cursorPosition() - static_cast<int>(text.size() - safe.size());
    setText(safe);
    setCursorPosition(std::max(0, cursor));
  }
  good_ = safe;
  emit operatorEdited(safe);
}

}  // namespace kiroku::ui
