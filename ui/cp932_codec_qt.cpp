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

// The codec's table also leaves out the code page's five lone bytes (it reads
// them as control characters): cp932::kLoneBytes are read around it.
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
    if (cp932::IsLeadByte(b)) {
      i += 2;
      continue;
    }
    for (const auto& m : cp932::kLoneBytes) {
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
    for (const auto& m : cp932::kLoneBytes) {
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
