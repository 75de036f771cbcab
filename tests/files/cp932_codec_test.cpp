#include "files/cp932_codec.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace kiroku {
namespace {

using namespace std::string_view_literals;

// The same bytes show as the same characters on Linux and on Windows (this
// table runs in both suites): a lead byte takes the byte after it but a NUL,
// each piece that is no character is one U+FFFD, and nothing is dropped.
TEST(Cp932Codec, BytesThatAreNoCharacterReadAlikeOnEveryPlatform) {
  const struct {
    std::string_view bytes;
    std::u16string_view units;  // UTF-16 code units
    bool character;
  } rows[] = {
      {"\x41\x81"sv, u"\u0041\uFFFD"sv, false},  // a lead byte at the end
      {"\x81\x20\x81\x7f\x81\xfd\x81\xff\x41"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD\u0041"sv, false},  // bad second bytes
      {"\x81\x00\x41"sv, u"\uFFFD\u0000\u0041"sv, false},  // a NUL is never a second byte
      {"\x85\x40\xeb\x40\xfc\x4c"sv, u"\uFFFD\uFFFD\uFFFD"sv, false},  // pairs the code page leaves unassigned
      {"\x81\x81\xf0\x40\xfc\x4b"sv, u"\uFF1D\uE000\u9ED1"sv, true},   // user-defined, the last IBM extension
      {"\x80\xa0\xfd\xfe\xff\x1a\x1c\x7f"sv, u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3\u001A\u001C\u007F"sv, true},  // lone ones
  };
  for (const auto& row : rows) {
    bool ok = !row.character;
    EXPECT_EQ(codec::Decode(row.bytes, &ok), row.units) << "row " << &row - rows;
    EXPECT_EQ(ok, row.character) << "row " << &row - rows;
  }
}

// Where the system has no converter for CP932, it says so, and no text
// passes for what it is not.
TEST(Cp932Codec, AMissingConverterIsToldAndNothingPassesForText) {
  codec::ReopenForTest(true);
  bool decoded = true, encoded = true;
  const std::u16string shown = codec::Decode("\x83\x74\x41", &decoded);
  codec::Encode(u"A", &encoded);
  const bool available = codec::Available();
  codec::ReopenForTest(false);
  EXPECT_FALSE(available);
  EXPECT_EQ(shown, u"\uFFFD\uFFFD");
  EXPECT_FALSE(decoded || encoded);
  EXPECT_EQ(codec::Decode("\x83\x74\x41"), u"\u30D5\u0041");
}

}  // namespace
}  // namespace kiroku
