// RegexObject: runs one regular expression over one text and hands out the
// matches and their capture groups by 1-based number.
//
// It behaves like the scripting regular-expression component the program was
// written for, on PCRE2 matching the UTF-16 form of the texts: a code page 936
// character is one character to the pattern. Letter case is ignored unless
// asked for (also for non-ASCII letters), "." does not match a line feed,
// \d and \w are ASCII, and JavaScript's readings of \u, [^] and
// back-references apply. Positions handed out are 0-based byte offsets in the
// code page 936 subject.
//
// Failures are results: a pattern the engine rejects, or a run that hits the
// engine's limits (a pattern that backtracks without end), makes Create give
// false and every match result empty. A RegexObject belongs to the thread
// that made it.
#pragma once

#include <optional>
#include <string_view>

#include "regex/match_list.h"
#include "regex/subject_text.h"
#include "text/ansi_text.h"

namespace vexaro {

class RegexObject {
 public:
  // Initialises the component library for this thread (once).
  RegexObject();
  // Releases it once.
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // Sets up the pattern with the options and runs it over `subject`: all
  // matches when `global`, else the first. With `quoteMarker`, every "#引号"
  // in the pattern stands for a double quote. True when the run completed,
  // also when nothing matched.
  bool Create(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
              bool multiline = true, bool global = true, bool quoteMarker = false);

  // The pattern of the last Create (quote markers replaced), also when the
  // engine rejected it; empty before the first Create.
  AnsiText GetPattern() const;

  // The subject of the last Create with its matches replaced; `replacement`
  // reads $1..$99, $&, $`, $' and $$ as JavaScript does. Empty unless the last
  // Create gave true.
  AnsiText Replace(std::string_view replacement = {}) const;

  int GetMatchCount() const;

  // The text of match `matchIndex` (1-based); empty when there is no such
  // match. `position`, when given, receives the match's 0-based byte offset
  // in the subject, or kNotFound when there is no such match.
  AnsiText GetMatchText(int matchIndex, Position* position = nullptr) const;

  // The text of capture group `subMatchIndex` (1-based) of match `matchIndex`
  // (1-based); empty when either does not exist or the group took no part.
  // `position`, when given, receives the group's 0-based byte offset (for a
  // group that took no part, that of its match), or kNotFound when there is
  // no such match or group.
  AnsiText GetSubMatchText(int matchIndex, int subMatchIndex, Position* position = nullptr) const;

  // The number of capture groups of the first match; 0 when nothing matched.
  int GetSubMatchCount() const;

 private:
  // The match numbered `matchIndex` (1-based), if there is one.
  std::optional<std::size_t> MatchAt(int matchIndex) const;

  bool created_ = false;
  std::u16string pattern_;
  regex_engine::SubjectText subject_;
  // The matches of the last run; empty after a failed one.
  std::optional<regex_engine::MatchList> matches_;
};

}  // namespace vexaro
