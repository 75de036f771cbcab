#pragma once
// The CP932 code page as this platform's converter has it; one backend per
// platform, so that the screens read every character as file names do.
#include <QString>

#include "core/text.h"

namespace kiroku::ui::codec {

// Bytes that are no CP932 character come out as U+FFFD.
QString Decode(const Text& bytes);
// ok turns false when a character has no CP932 form.
Text Encode(const QString& text, bool* ok = nullptr);

}  // namespace kiroku::ui::codec
