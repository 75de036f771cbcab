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
    std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(c));
    out += (out.empty() ? "" : " ") + std::string(unit);
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
      {"\x81"sv, "FFFD", false},                  // a lead byte at the end
      {"\x41\x81"sv, "0041 FFFD", false},
      {"\x81\x20"sv, "FFFD", false},              // a lead byte with a second byte it cannot take
      {"\x81\x7f\x41"sv, "FFFD 0041", false},
      {"\x81\xfd"sv, "FFFD", false},
      {"\x81\xff\x41"sv, "FFFD 0041", false},
      {"\x81\x00\x41"sv, "FFFD 0000 0041", false},  // a NUL is never a second byte
      {"\x85\x40"sv, "FFFD", false},              // a pair the code page leaves unassigned
      {"\xeb\x40"sv, "FFFD", false},
      {"\xfc\x4c"sv, "FFFD", false},              // past the last IBM extension
      {"\x81\x81\x85\x40\x41"sv, "FF1D FFFD 0041", false},
      {"\xf0\x40\xfc\x4b"sv, "E000 9ED1", true},  // a user-defined character, the last IBM extension
      // The five lone bytes as the operator's platform reads them, the controls as in ASCII.
      {"\x80\xa0\xfd\xfe\xff"sv, "0080 F8F0 F8F1 F8F2 F8F3", true},
      {"\x1a\x1c\x7f"sv, "001A 001C 007F", true},
  };
  for (const auto& row : rows) {
    bool ok = !row.character;
    EXPECT_EQ(Units(codec::Decode(row.bytes, &ok)), row.units) << "row " << &row - rows;
    EXPECT_EQ(ok, row.character) << "row " << &row - rows;
  }
}

// Where the system has no converter for CP932, it says so, and no text passes
// for what it is not.
TEST(Cp932Codec, AMissingConverterIsToldAndNothingPassesForText) {
  ASSERT_TRUE(codec::Available());
  struct Missing {
    Missing() { codec::ReopenForTest(true); }
    ~Missing() { codec::ReopenForTest(false); }
  };
  {
    const Missing missing;
    EXPECT_FALSE(codec::Available());
    bool ok = true;
    EXPECT_EQ(Units(codec::Decode("\x83\x74\x41", &ok)), "FFFD FFFD");
    EXPECT_FALSE(ok);
    codec::Encode(u"A", &ok);
    EXPECT_FALSE(ok);
  }
  EXPECT_TRUE(codec::Available());
  EXPECT_EQ(Units(codec::Decode("\x83\x74\x41")), "30D5 0041");
}

}  // namespace
}  // namespace kiroku
