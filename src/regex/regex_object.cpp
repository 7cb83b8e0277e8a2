#include "regex/regex_object.h"

#include <new>

#include "regex/compiled_pattern.h"
#include "regex/js_replacement.h"
#include "regex/match_run.h"
#include "text/code_page.h"
#include "text/component_library.h"

namespace vexaro {

namespace {

// An AnsiText ends at its first zero byte.
std::string_view UpToFirstZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// Every occurrence of the quote marker, compared byte for byte, becomes one
// double quote.
AnsiText ReplaceQuoteMarkers(std::string_view pattern) {
  AnsiText result;
  result.reserve(pattern.size());
  std::size_t copied = 0;
  for (std::size_t found = pattern.find(kQuoteMarker); found != std::string_view::npos;
       found = pattern.find(kQuoteMarker, copied)) {
    result.append(pattern.substr(copied, found - copied)).push_back('"');
    copied = found + kQuoteMarker.size();
  }
  result.append(pattern.substr(copied));
  return result;
}

}  // namespace

RegexObject::RegexObject() { CoInitialize(); }

RegexObject::~RegexObject() { CoUninitialize(); }

bool RegexObject::Create(std::string_view pattern, std::string_view subject, bool caseSensitive,
                         bool multiline, bool global, bool quoteMarker) {
  created_ = true;
  matches_.reset();
  try {
    pattern = UpToFirstZero(pattern);
    pattern_ = AnsiToU16(quoteMarker ? ReplaceQuoteMarkers(pattern) : AnsiText(pattern));
    subject_ = regex_engine::SubjectText(UpToFirstZero(subject));
    const regex_engine::PatternOptions options{.ignoreCase = !caseSensitive,
                                               .multiline = multiline};
    const auto compiled = regex_engine::CompilePattern(pattern_, options);
    if (!compiled) return false;
    matches_ = regex_engine::RunPattern(*compiled, subject_.Units(), global);
  } catch (const std::bad_alloc&) {
    // A subject or a match list too large for memory is a failed run.
    pattern_.clear();
    subject_ = {};
    matches_.reset();
  }
  return matches_.has_value();
}

AnsiText RegexObject::GetPattern() const { return created_ ? U16ToAnsi(pattern_) : AnsiText(); }

AnsiText RegexObject::Replace(std::string_view replacement) const {
  if (!matches_) return {};
  const std::u16string replacementUnits = AnsiToU16(UpToFirstZero(replacement));
  return U16ToAnsi(regex_engine::ReplaceMatches(subject_.Units(), *matches_, replacementUnits));
}

int RegexObject::GetMatchCount() const {
  return matches_ ? static_cast<int>(matches_->Count()) : 0;
}

std::optional<std::size_t> RegexObject::MatchAt(int matchIndex) const {
  if (!matches_ || matchIndex < 1 || static_cast<std::size_t>(matchIndex) > matches_->Count()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(matchIndex) - 1;
}

AnsiText RegexObject::GetMatchText(int matchIndex, Position* position) const {
  const std::optional<std::size_t> match = MatchAt(matchIndex);
  if (!match) {
    if (position) *position = kNotFound;
    return {};
  }
  const regex_engine::Span whole = matches_->Group(*match, 0);
  if (position) *position = subject_.ByteOffset(whole.start);
  return subject_.Slice(whole.start, whole.end);
}

AnsiText RegexObject::GetSubMatchText(int matchIndex, int subMatchIndex,
                                      Position* position) const {
  const std::optional<std::size_t> match = MatchAt(matchIndex);
  if (!match || subMatchIndex < 1 || subMatchIndex > matches_->GroupCount()) {
    if (position) *position = kNotFound;
    return {};
  }
  const regex_engine::Span group = matches_->Group(*match, subMatchIndex);
  if (group.IsUnset()) {
    if (position) *position = subject_.ByteOffset(matches_->Group(*match, 0).start);
    return {};
  }
  if (position) *position = subject_.ByteOffset(group.start);
  return subject_.Slice(group.start, group.end);
}

int RegexObject::GetSubMatchCount() const {
  return matches_ && matches_->Count() > 0 ? matches_->GroupCount() : 0;
}

}  // namespace vexaro
