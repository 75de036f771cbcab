// CP932 through Qt's codec, which comes from ICU on this platform.
#include <QStringDecoder>
#include <QStringEncoder>

#include "ui/cp932_codec.h"

namespace kiroku::ui::codec {

namespace {
// The codec turns three control bytes round (1A, 1C and 7F, as an IBM code
// page does); CP932 keeps them as in ASCII, as the file system's names do.
constexpr struct {
  char16_t codec, cp932;
} kControls[] = {{u'\u001C', u'\u001A'}, {u'\u007F', u'\u001C'}, {u'\u001A', u'\u007F'}};

QString SwapControls(QString text, bool toCp932) {
  for (QChar& c : text) {
    for (const auto& m : kControls) {
      if (c.unicode() == (toCp932 ? m.codec : m.cp932)) {
        c = QChar(toCp932 ? m.cp932 : m.codec);
        break;
      }
    }
  }
  return text;
}

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Five single bytes that the codec's table leaves out (it reads them as a
// control character) and the operator's platform reads as these characters.
constexpr struct {
  unsigned char byte;
  char16_t ch;
} kLoneBytes[] = {{0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'}};

constexpr const char* kCodec = "windows-31j";

QString DecodeRun(const char* data, size_t size) {
  QStringDecoder decoder(kCodec);
  return SwapControls(decoder.decode(QByteArrayView(data, static_cast<qsizetype>(size))), true);
}

Text EncodeRun(const QString& text, bool* ok) {
  QStringEncoder encoder(kCodec);
  const QByteArray bytes = encoder.encode(SwapControls(text, false));
  if (ok && encoder.hasError()) *ok = false;
  return Text(bytes.constData(), static_cast<size_t>(bytes.size()));
}
}  // namespace

QString Decode(const Text& bytes) {
  QString out;
  size_t run = 0;
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (IsLeadByte(b)) {
      i += 2;
      continue;
    }
    for (const auto& m : kLoneBytes) {
      if (m.byte == b) {
        out += DecodeRun(bytes.data() + run, i - run);
        out += QChar(m.ch);
        run = i + 1;
        break;
      }
    }
    ++i;
  }
  if (run == 0) return DecodeRun(bytes.data(), bytes.size());
  if (run < bytes.size()) out += DecodeRun(bytes.data() + run, bytes.size() - run);
  return out;
}

Text Encode(const QString& text, bool* ok) {
  if (ok) *ok = true;
  Text out;
  qsizetype run = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    for (const auto& m : kLoneBytes) {
      if (text.at(i).unicode() == m.ch) {
        out += EncodeRun(text.mid(run, i - run), ok);
        out += static_cast<char>(m.byte);
        run = i + 1;
        break;
      }
    }
  }
  if (run == 0) return EncodeRun(text, ok);
  return out + EncodeRun(text.mid(run), ok);
}

}  // namespace kiroku::ui::codec
