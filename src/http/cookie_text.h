// Cookie texts: "name=value" items joined by "; ", merged after a response
// so that a caller who passes the same variable to every request carries a
// cookie jar from one request to the next.
#pragma once

#include <string_view>
#include <vector>

#include "text/ansi_text.h"

namespace vexaro {

// Merges the cookies sent (`Cookies`) with those received
// (`ReturnedCookies`): spaces are removed from both variables, received
// cookies replace sent ones of the same name, items ending in "=deleted" are
// dropped and identical items kept once. `Cookies` ends holding the result,
// which is also returned; `ReturnedCookies` ends without its spaces.
AnsiText MergeCookieText(AnsiText& Cookies, AnsiText& ReturnedCookies);

// The part of an item before its first "=" (the whole item without one),
// trimmed of spaces.
AnsiText CookieName(std::string_view Entry);

// Whether some element of `Entries` has the cookie name `Name`.
bool HasCookieName(const std::vector<AnsiText>& Entries, std::string_view Name);

// `Text` split on `Separator` with every repeated item left out, joined again
// by `Separator`.
AnsiText RemoveDuplicates(std::string_view Text, std::string_view Separator);

// The 1-based index of the first element equal to `Entry`, or kNotFound.
Position FindItem(const std::vector<AnsiText>& Entries, std::string_view Entry);

}  // namespace vexaro
