// Whole-body GETs into memory. FetchUrl itself is declared with the other
// platform operations in app/platform.h.
#pragma once

#include <cstddef>
#include <string_view>

#include "app/platform.h"

namespace vexaro {

// FetchUrl for bodies that should be small: once more than `limit` bytes
// arrive, the transfer stops and the result is the empty buffer. Keeps a
// hostile or broken server from filling the memory with a "picture".
ByteBuffer FetchUrlAtMost(std::string_view url, std::size_t limit);

}  // namespace vexaro
