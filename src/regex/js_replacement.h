// Replacement as JavaScript's String.prototype.replace reads its replacement
// text: $1 to $99 (a group that took no part gives nothing; a number past the
// group count is kept as written), $& (the match), $` (the text before it),
// $' (the text after it) and $$ (one dollar sign). Any other dollar sign is
// kept as it stands.
#pragma once

#include <string>
#include <string_view>

#include "regex/match_list.h"

namespace vexaro::regex_engine {

// `subject` with every match of `matches` replaced by `replacement` read as
// above.
std::u16string ReplaceMatches(std::u16string_view subject, const MatchList& matches,
                              std::u16string_view replacement);

}  // namespace vexaro::regex_engine
