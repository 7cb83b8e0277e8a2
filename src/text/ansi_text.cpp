#include "text/ansi_text.h"

#include <algorithm>
#include <cstring>

#include "text/code_page.h"

namespace vexaro {

namespace {

inline unsigned char Byte(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

inline bool IsLeadByte(unsigned char b) { return b >= 0x80; }

// Width of the character that starts at `i` when `i` is a character boundary.
inline std::size_t CharWidth(std::string_view text, std::size_t i) {
  return IsLeadByte(Byte(text, i)) ? 2 : 1;
}

inline unsigned char FoldAscii(unsigned char b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

// Compares `sought` with the text at `at`, folding the case of the sought
// text's single-byte characters only (trail bytes are never letters).
bool MatchesIgnoringCase(std::string_view text, std::size_t at, std::string_view sought) {
  if (text.size() - at < sought.size()) return false;
  for (std::size_t k = 0; k < sought.size();) {
    unsigned char s = Byte(sought, k);
    if (IsLeadByte(s)) {
      if (Byte(text, at + k) != s) return false;
      if (k + 1 < sought.size() && Byte(text, at + k + 1) != Byte(sought, k + 1)) return false;
      k += 2;
    } else {
      if (FoldAscii(Byte(text, at + k)) != FoldAscii(s)) return false;
      ++k;
    }
  }
  return true;
}

// The 0-based index of the first occurrence of `sought` that starts on a
// character boundary at or after `from` (itself taken as a boundary), or npos.
// A lead byte in the last position ends the scan.
std::size_t FindOnBoundary(std::string_view text, std::string_view sought, std::size_t from,
                           bool ignoreCase) {
  const std::size_t size = text.size();
  if (from >= size) return std::string_view::npos;
  if (sought.empty()) return from;
  std::size_t boundary = from;
  if (!ignoreCase) {
    // Let the library find candidates; walk the boundaries up to each one.
    std::size_t candidate = text.find(sought, from);
    while (candidate != std::string_view::npos) {
      while (boundary < candidate) {
        if (boundary + 1 == size && IsLeadByte(Byte(text, boundary))) return std::string_view::npos;
        boundary += CharWidth(text, boundary);
      }
      if (boundary == candidate) {
        if (boundary + 1 == size && IsLeadByte(Byte(text, boundary))) return std::string_view::npos;
        return candidate;
      }
      candidate = text.find(sought, boundary);  // the candidate began on a trail byte
    }
    return std::string_view::npos;
  }
  for (; boundary < size; boundary += CharWidth(text, boundary)) {
    if (boundary + 1 == size && IsLeadByte(Byte(text, boundary))) break;
    if (MatchesIgnoringCase(text, boundary, sought)) return boundary;
  }
  return std::string_view::npos;
}

// Whether a space character starts at boundary `i`; its width goes to `width`.
bool SpaceAt(std::string_view text, std::size_t i, std::size_t& width) {
  if (text[i] == ' ') {
    width = 1;
    return true;
  }
  if (i + 1 < text.size() && text.substr(i, 2) == kFullWidthSpace) {
    width = 2;
    return true;
  }
  width = CharWidth(text, i);
  return false;
}

}  // namespace

Position Search(std::string_view text, std::string_view sought, Position start, bool ignoreCase) {
  if (start < 1) start = 1;
  if (static_cast<std::size_t>(start) > text.size()) return kNotFound;
  std::size_t at = FindOnBoundary(text, sought, static_cast<std::size_t>(start - 1), ignoreCase);
  return at == std::string_view::npos ? kNotFound : static_cast<Position>(at) + 1;
}

AnsiText Replace(std::string_view text, std::string_view sought, std::string_view replacement,
                 Position start, Position count, bool exact) {
  if (start < 1) start = 1;
  if (text.empty() || sought.empty() || static_cast<std::size_t>(start) > text.size() ||
      count == 0) {
    return AnsiText(text);
  }
  AnsiText result;
  result.reserve(text.size());
  std::size_t cursor = static_cast<std::size_t>(start - 1);
  result.append(text.substr(0, cursor));
  Position made = 0;
  while (count < 0 || made < count) {
    std::size_t at = FindOnBoundary(text, sought, cursor, !exact);
    if (at == std::string_view::npos) break;
    result.append(text.substr(cursor, at - cursor));
    result.append(replacement);
    cursor = at + sought.size();
    ++made;
  }
  if (cursor < text.size()) result.append(text.substr(cursor));
  return result;
}

std::vector<AnsiText> Split(std::string_view text, std::string_view separator,
                            Position maxPieces) {
  std::vector<AnsiText> pieces;
  if (text.empty() || maxPieces == 0) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  // Every piece but the last ends at a separator, so the count of the
  // separator's first byte bounds the number of pieces: one allocation.
  std::size_t bound = static_cast<std::size_t>(std::count(text.begin(), text.end(), separator[0])) + 1;
  if (maxPieces > 0) bound = std::min(bound, static_cast<std::size_t>(maxPieces));
  pieces.reserve(bound);
  auto full = [&] { return maxPieces > 0 && static_cast<Position>(pieces.size()) >= maxPieces; };
  std::size_t cursor = 0;
  while (!full()) {
    std::size_t at = FindOnBoundary(text, separator, cursor, false);
    if (at == std::string_view::npos) {
      if (cursor < text.size()) pieces.emplace_back(text.substr(cursor));
      break;
    }
    pieces.emplace_back(text.substr(cursor, at - cursor));
    cursor = at + separator.size();
  }
  return pieces;
}

AnsiText Trim(std::string_view text) {
  // Walk the characters once: the kept part runs from the first character
  // that is no space to the end of the last one.
  std::size_t first = std::string_view::npos;
  std::size_t end = 0;
  for (std::size_t i = 0, width = 0; i < text.size(); i += width) {
    if (!SpaceAt(text, i, width)) {
      if (first == std::string_view::npos) first = i;
      end = std::min(i + width, text.size());
    }
  }
  if (first == std::string_view::npos) return {};
  return AnsiText(text.substr(first, end - first));
}

AnsiText RemoveSpaces(std::string_view text) {
  AnsiText result;
  result.reserve(text.size());
  for (std::size_t i = 0, width = 0; i < text.size(); i += width) {
    if (!SpaceAt(text, i, width)) result.append(text.substr(i, width));
  }
  return result;
}

AnsiText FirstBytes(std::string_view text, Position n) {
  if (n <= 0) return {};
  return AnsiText(text.substr(0, static_cast<std::size_t>(n)));
}

AnsiText LastBytes(std::string_view text, Position n) {
  if (n <= 0) return {};
  if (static_cast<std::size_t>(n) >= text.size()) return AnsiText(text);
  return AnsiText(text.substr(text.size() - static_cast<std::size_t>(n)));
}

AnsiText Middle(std::string_view text, Position start, Position n) {
  if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) return {};
  return AnsiText(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

bool TextEquals(std::string_view a, std::string_view b) { return a == b; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && MatchesIgnoringCase(a, 0, b);
}

ByteBuffer TextToBytes(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

AnsiText BytesToText(std::string_view bytes) {
  return AnsiText(bytes.substr(0, std::min(bytes.find('\0'), bytes.size())));
}

AnsiText BytesToText(const ByteBuffer& bytes) {
  return BytesToText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

AnsiText TextBefore(std::string_view text, std::string_view delimiter, Position start,
                    bool caseInsensitive) {
  Position p = Search(text, delimiter, start > 0 ? start : 1, caseInsensitive);
  if (p == kNotFound) return {};
  return FirstBytes(text, p - 1);
}

AnsiText TextBetween(std::string_view text, std::string_view before, std::string_view after,
                     Position start, bool caseInsensitive) {
  const AnsiText opening = Replace(before, kQuoteMarker, "\"");
  const AnsiText closing = Replace(after, kQuoteMarker, "\"");
  Position p = Search(text, opening, start, caseInsensitive);
  if (p == kNotFound) return {};
  Position q = p + static_cast<Position>(opening.size());
  Position r = Search(text, closing, q, caseInsensitive);
  if (r == kNotFound) return {};
  return Middle(text, q, r - q);
}

ByteBuffer AnsiToUtf16(std::string_view text, bool withoutTerminator) {
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  if (text.empty()) return {};
  std::u16string units = MultiByteToWideChar(CodePage::Gbk, text);
  if (!withoutTerminator) units.push_back(u'\0');
  ByteBuffer buffer(units.size() * 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    buffer[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return buffer;
}

AnsiText Utf16ToAnsi(const ByteBuffer& buffer) {
  std::u16string units;
  units.reserve(buffer.size() / 2);
  for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
    char16_t unit = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
    if (unit == u'\0') break;
    units.push_back(unit);
  }
  return BytesToText(WideCharToMultiByte(CodePage::Gbk, units, ConversionFlags::CompositeCheck));
}

}  // namespace vexaro
