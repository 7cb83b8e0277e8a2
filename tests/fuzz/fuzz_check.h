// A broken promise found by a fuzzer: abort, so that libFuzzer keeps the
// input that did it.
#pragma once

#include <cstdlib>

namespace vexaro::fuzzing {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace vexaro::fuzzing
