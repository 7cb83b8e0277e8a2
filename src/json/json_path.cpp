#include "json/json_path.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace vexaro {

namespace {

// ECMAScript 5.1, 7.6: IdentifierStart and IdentifierPart by general category.
bool IsIdentifierStart(UChar32 c) {
  if (c == u'$' || c == u'_') return true;
  switch (u_charType(c)) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
    case U_LETTER_NUMBER:
      return true;
    default:
      return false;
  }
}

bool IsIdentifierPart(UChar32 c) {
  if (IsIdentifierStart(c) || c == 0x200C || c == 0x200D) return true;
  switch (u_charType(c)) {
    case U_NON_SPACING_MARK:
    case U_COMBINING_SPACING_MARK:
    case U_DECIMAL_DIGIT_NUMBER:
    case U_CONNECTOR_PUNCTUATION:
      return true;
    default:
      return false;
  }
}

class PathReader {
 public:
  explicit PathReader(std::u16string_view path) : path_(path) {}

  bool AtEnd() const { return at_ >= path_.size(); }
  char16_t Peek() const { return path_[at_]; }

  bool ReadIdentifier() {
    bool first = true;
    while (!AtEnd()) {
      const std::size_t before = at_;
      UChar32 c;
      U16_NEXT(path_.data(), at_, path_.size(), c);
      if (U_IS_SURROGATE(c) || !(first ? IsIdentifierStart(c) : IsIdentifierPart(c))) {
        at_ = before;
        break;
      }
      first = false;
    }
    return !first;
  }

  bool ReadIndex() {  // "[" digits "]"
    if (AtEnd() || Peek() != u'[') return false;
    ++at_;
    const std::size_t digitsAt = at_;
    while (!AtEnd() && Peek() >= u'0' && Peek() <= u'9') ++at_;
    if (at_ == digitsAt || AtEnd() || Peek() != u']') return false;
    ++at_;
    return true;
  }

  bool ReadDot() {
    if (AtEnd() || Peek() != u'.') return false;
    ++at_;
    return true;
  }

 private:
  std::u16string_view path_;
  std::size_t at_ = 0;
};

bool IsLineTerminator(char16_t c) {
  return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

}  // namespace

bool IsPathText(std::u16string_view path) {
  PathReader reader(path);
  if (reader.AtEnd()) return false;
  if (reader.Peek() == u'[') {
    if (!reader.ReadIndex()) return false;
  } else if (!reader.ReadIdentifier()) {
    return false;
  }
  while (!reader.AtEnd()) {
    if (reader.Peek() == u'[') {
      if (!reader.ReadIndex()) return false;
    } else if (!reader.ReadDot() || !reader.ReadIdentifier()) {
      return false;
    }
  }
  return true;
}

bool IsQuotedLiteralBody(std::u16string_view value) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char16_t c = value[i];
    if (c == u'\'' || IsLineTerminator(c)) return false;
    if (c == u'\\') {
      // An escape takes the next unit with it (a line break after it is a
      // line continuation); a backslash at the very end would escape the
      // closing quote.
      if (i + 1 == value.size()) return false;
      ++i;
      // "\r\n" after a backslash is one line continuation.
      if (value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') ++i;
    }
  }
  return true;
}

}  // namespace vexaro
