#include "json/number_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace vexaro {

std::string NumberToText(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // std::to_chars in general form with a precision is "%.13g" in the C
  // locale, without the locale.
  std::array<char, 64> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::general, 13);
  if (error != std::errc{}) return {};
  std::string text(buffer.data(), end);
  const auto e = text.find('e');
  if (e == std::string::npos) return text;
  // "e+13" -> "e+013": sign, then the digits padded to three.
  const std::size_t digitsAt = e + 2;
  const std::size_t digitCount = text.size() - digitsAt;
  if (digitCount < 3) text.insert(digitsAt, 3 - digitCount, '0');
  return text;
}

std::string NumberToExactText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  std::array<char, 64> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (error != std::errc{}) return {};
  return std::string(buffer.data(), end);
}

}  // namespace vexaro
