// Runs a compiled pattern over a subject and collects the matches, as a
// scripting engine's Execute does: all matches left to right when global,
// else the first; after an empty match the next search starts one code unit
// further on.
//
// A run is bounded: the engine's match, depth and heap limits stop a pattern
// that backtracks without end, and the whole run has a time budget. A run
// that hits any limit has failed and gives no matches at all.
#pragma once

#include <optional>
#include <string_view>

#include "regex/compiled_pattern.h"
#include "regex/match_list.h"

namespace vexaro::regex_engine {

std::optional<MatchList> RunPattern(const CompiledPattern& pattern, std::u16string_view subject,
                                    bool global);

}  // namespace vexaro::regex_engine
