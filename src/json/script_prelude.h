// The script every new engine instance of a document runs first: a member
// counter, a JSON object with stringify and parse where the engine has none,
// and the two methods every object inherits (toJSONString, parseJSON).
#pragma once

#include <string_view>

namespace vexaro {

// One line of plain ASCII JavaScript.
std::string_view ScriptPrelude();

}  // namespace vexaro
