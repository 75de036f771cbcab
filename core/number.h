#pragma once
// Decimal numbers in text: the one parser of them for the whole program.
#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

namespace kiroku {

// At least one character, and only the digits 0 to 9.
constexpr bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The whole text as one number of T (a sign only where T has one); false for
// anything else, an empty text or one too big for T included.
template <typename T>
bool ParseNumber(std::string_view s, T& value, int base = 10) {
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace kiroku
