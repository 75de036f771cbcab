#include "ui/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kiroku::ui {

namespace {
constexpr const char* kCodec = "windows-31j";

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

QString FromCp932(const Text& bytes) {
  QStringDecoder decoder(kCodec);
  return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

Text ToCp932(const QString& text) {
  QStringEncoder encoder(kCodec);
  const QByteArray bytes = encoder.encode(text);
  return Text(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString NormalizeForCp932(QString text) {
  for (QChar& c : text)
    for (const auto& m : kCounterparts)
      if (c.unicode() == m.from) c = QChar(m.to);
  return text;
}

bool Cp932CanHold(const QString& text) {
  QStringEncoder encoder(kCodec);
  const QByteArray bytes = encoder.encode(text);
  if (encoder.hasError()) return false;
  QStringDecoder decoder(kCodec);
  const QString back = decoder.decode(bytes);
  return !decoder.hasError() && back == text;
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
    const int cursor = cursorPosition();
    setText(safe);
    setCursorPosition(cursor);
  }
  good_ = safe;
  emit operatorEdited(safe);
}

}  // namespace kiroku::ui
