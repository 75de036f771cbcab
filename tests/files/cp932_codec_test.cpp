#include "files/cp932_codec.h"

#include <cstdio>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace kiroku {
namespace {

using namespace std::string_view_literals;

// UTF-16 code units in hex, blank-separated.
std::string Units(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    char unit[6];
    std::snprintf(unit, sizeof unit, out.empty() ? "%04X" : " %04X", static_cast<unsigned>(c));
    out += unit;
  }
  return out;
}

// The same bytes show as the same characters on Linux and on Windows (this
// table runs in both suites): a lead byte takes the byte after it but a NUL,
// each piece that is no character is one U+FFFD, and nothing is dropped.
TEST(Cp932Codec, BytesThatAreNoCharacterReadAlikeOnEveryPlatform) {
  const struct {
    std::string_view bytes;
    const char* units;
    bool character;
  } rows[] = {
      {"\x41\x81"sv, "0041 FFFD", false},  // a lead byte at the end
      // Second bytes that a lead byte cannot take; a NUL is never one.
      {"\x81\x20\x81\x7f\x81\xfd\x81\xff\x41"sv, "FFFD FFFD FFFD FFFD 0041", false},
      {"\x81\x00\x41"sv, "FFFD 0000 0041", false},
      {"\x85\x40\xeb\x40\xfc\x4c"sv, "FFFD FFFD FFFD", false},  // pairs the code page leaves unassigned
      {"\x81\x81\xf0\x40\xfc\x4b"sv, "FF1D E000 9ED1", true},   // user-defined, the last IBM extension
      // The lone bytes as Windows reads them, the controls as in ASCII.
      {"\x80\xa0\xfd\xfe\xff\x1a\x1c\x7f"sv, "0080 F8F0 F8F1 F8F2 F8F3 001A 001C 007F", true},
  };
  for (const auto& row : rows) {
    bool ok = !row.character;
    EXPECT_EQ(Units(codec::Decode(row.bytes, &ok)), row.units) << "row " << &row - rows;
    EXPECT_EQ(ok, row.character) << "row " << &row - rows;
  }
}

// Where the system has no converter for CP932, it says so, and no text
// passes for what it is not.
TEST(Cp932Codec, AMissingConverterIsToldAndNothingPassesForText) {
  codec::ReopenForTest(true);
  bool decoded = true, encoded = true;
  const std::string shown = Units(codec::Decode("\x83\x74\x41", &decoded));
  codec::Encode(u"A", &encoded);
  const bool available = codec::Available();
  codec::ReopenForTest(false);
  EXPECT_FALSE(available);
  EXPECT_EQ(shown, "FFFD FFFD");
  EXPECT_FALSE(decoded || encoded);
  EXPECT_TRUE(codec::Available());
  EXPECT_EQ(Units(codec::Decode("\x83\x74\x41")), "30D5 0041");
}

}  // namespace
}  // namespace kiroku
