// The checks a text passes before a document pastes it into a script.
//
// A path names a value in JavaScript member-access notation: identifiers
// (as JavaScript knows them, Chinese names included) joined by ".", each
// optionally followed by zero-based indices in brackets, e.g.
// "data[0].author.nickname" or "[0].id". Nothing else - no spaces, quotes,
// operators or escapes - can reach a script through a path.
#pragma once

#include <string_view>

namespace vexaro {

// True when `path` (UTF-16) follows the path rule. The empty text does not.
bool IsPathText(std::u16string_view path);

// True when `value` (UTF-16) placed between two single quotes forms exactly
// one JavaScript string literal: no unescaped quote or line break, and no
// backslash escaping the closing quote. Such a literal can only ever be a
// string; anything else could end the literal and run the rest as code.
bool IsQuotedLiteralBody(std::u16string_view value);

}  // namespace vexaro
