// The journal's lines: their bytes, and what reading makes of a cut write,
// a damaged line and a line out of its place.
#include <gtest/gtest.h>

#include "journal/journal.h"

namespace kiroku {
namespace {

TEST(JournalFormatTest, ALineIsItsFieldsEscapedAndItsChecksum) {
  // The checksum was worked out apart from this code (CRC-32 of the bytes before it).
  EXPECT_EQ(FormatJournalLine(3, 1500, "field", {"2", "\x93\x8c\\\t"}),
            "3\t1500\tfield\t2\t\x93\x8c\\\\\\t\tae4fddab\n");
  JournalRecord r;
  ASSERT_TRUE(ParseJournalLine("3\t1500\tfield\t2\t\x93\x8c\\\\\\t\tae4fddab", r));
  EXPECT_EQ(r.number, 3u);
  EXPECT_EQ(r.ms, 1500);
  ASSERT_EQ(r.fields.size(), 2u);
  EXPECT_EQ(r.fields[1], "\x93\x8c\\\t");
  EXPECT_FALSE(ParseJournalLine("3\t1500\tfield\t2\t\x93\x8d\\\\\\t\tae4fddab", r));
}

std::string Lines(std::initializer_list<std::uint64_t> numbers) {
  std::string bytes;
  for (const auto n : numbers) bytes += FormatJournalLine(n, 0, "switch", {});
  return bytes;
}

TEST(JournalFormatTest, OnlyALastLineWithoutItsLfIsACutWrite) {
  const std::string good = Lines({0, 1, 2});
  const std::string last = FormatJournalLine(3, 0, "switch", {});
  for (size_t cut = 1; cut < last.size(); ++cut) {
    const auto c = ParseJournal(good + last.substr(0, cut));
    EXPECT_EQ(c.records.size(), 3u) << cut;
    EXPECT_TRUE(c.tornTail) << cut;
    EXPECT_EQ(c.damagedLine, 0) << cut;
  }
  // A whole last line whose bytes changed is damage, not a cut.
  std::string bad = last;
  bad[2] ^= 0x01;
  auto c = ParseJournal(good + bad);
  EXPECT_EQ(c.records.size(), 3u);
  EXPECT_FALSE(c.tornTail);
  EXPECT_EQ(c.damagedLine, 4);
  c = ParseJournal(good + "\n");
  EXPECT_FALSE(c.tornTail);
  EXPECT_EQ(c.damagedLine, 4);
}

TEST(JournalFormatTest, ALineWithAGoodChecksumOutOfItsPlaceStopsTheReading) {
  for (const auto& [bytes, line] : {std::pair{Lines({0, 1, 3, 4}), 3}, std::pair{Lines({0, 1, 1, 2}), 3},
                                    std::pair{Lines({1, 2}), 1}, std::pair{Lines({0, 1, 2, 2}), 4}}) {
    const auto c = ParseJournal(bytes);
    EXPECT_EQ(c.damagedLine, line) << bytes;
    EXPECT_EQ(c.records.size(), static_cast<size_t>(line - 1)) << bytes;
    EXPECT_FALSE(c.tornTail);
  }
}

}  // namespace
}  // namespace kiroku
