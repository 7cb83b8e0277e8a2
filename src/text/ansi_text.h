// Byte texts in code page 936 and the operations every other module builds on.
//
// An AnsiText is a byte string in code page 936 that never holds a zero byte
// (a buffer turned into text ends at its first zero). Positions are 1-based
// byte positions and a search that finds nothing gives kNotFound. A byte of
// 0x80 or above is the lead byte of a double-byte character; the operations
// marked "character-aware" step over such a pair as one unit, so they never
// find or cut anything that starts on a trail byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexaro {

using AnsiText = std::string;
using ByteBuffer = std::vector<std::uint8_t>;
using Position = std::ptrdiff_t;

inline constexpr Position kNotFound = -1;
inline constexpr Position kAll = -1;  // "no limit" for counts

// The two kinds of space: ASCII space and the full-width space A1 A1.
inline constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

// Search (character-aware): 1-based position of the first occurrence of
// `sought` at or after `start`, or kNotFound. A start below 1 counts as 1.
// An empty `sought` is found at the start (when the start is inside the text).
Position Search(std::string_view text, std::string_view sought, Position start = 1,
                bool ignoreCase = false);

// Replace (character-aware): replaces up to `count` occurrences (kAll: every
// one) from `start` on, left to right, without overlapping.
AnsiText Replace(std::string_view text, std::string_view sought,
                 std::string_view replacement = {}, Position start = 1,
                 Position count = kAll, bool exact = true);

// Split (character-aware). An empty text gives no pieces; an empty separator
// gives the whole text; a trailing separator gives no empty last piece.
std::vector<AnsiText> Split(std::string_view text, std::string_view separator = ",",
                            Position maxPieces = kAll);

AnsiText Trim(std::string_view text);          // spaces off both ends
AnsiText RemoveSpaces(std::string_view text);  // every space, anywhere

AnsiText FirstBytes(std::string_view text, Position n);
AnsiText LastBytes(std::string_view text, Position n);
AnsiText Middle(std::string_view text, Position start, Position n);

bool TextEquals(std::string_view a, std::string_view b);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);  // ASCII letters only

ByteBuffer TextToBytes(std::string_view text);
AnsiText BytesToText(const ByteBuffer& bytes);        // up to the first zero byte
AnsiText BytesToText(std::string_view bytes);         // the same over raw bytes

// The bytes before the first `delimiter` at or after `start`; empty when absent.
AnsiText TextBefore(std::string_view text, std::string_view delimiter, Position start = 1,
                    bool caseInsensitive = false);

// The bytes between `before` and the next `after`; empty when either is
// absent. In both delimiters the marker "#引号" stands for a double quote.
AnsiText TextBetween(std::string_view text, std::string_view before, std::string_view after,
                     Position start = 1, bool caseInsensitive = false);

// The quote marker that TextBetween and RegexObject::Create understand.
inline constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";  // "#引号" in CP936

// Code page 936 text to UTF-16 code units (little-endian bytes), with the
// zero terminator unless `withoutTerminator`. Empty text: empty buffer.
ByteBuffer AnsiToUtf16(std::string_view text, bool withoutTerminator = false);

// UTF-16 code units (little-endian bytes) to code page 936; the text ends at
// the first zero code unit, an odd last byte is ignored, and a character that
// code page 936 lacks becomes '?'.
AnsiText Utf16ToAnsi(const ByteBuffer& buffer);

}  // namespace vexaro
