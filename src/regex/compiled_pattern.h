// A pattern compiled for the engine, with the options RegexObject offers.
// Compiled patterns are immutable and kept in a small per-thread cache, so a
// pattern that comes again (the same text and options) is not compiled again.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "regex/pcre2_handles.h"

namespace vexaro::regex_engine {

struct PatternOptions {
  bool ignoreCase = true;
  bool multiline = true;
  bool operator==(const PatternOptions&) const = default;
};

class CompiledPattern {
 public:
  explicit CompiledPattern(CodeHandle code);
  const pcre2_code* Code() const { return code_.get(); }
  int CaptureCount() const { return captureCount_; }

 private:
  CodeHandle code_;
  int captureCount_ = 0;
};

// The compiled form of `pattern`, or null when the engine rejects it.
std::shared_ptr<const CompiledPattern> CompilePattern(std::u16string_view pattern,
                                                      PatternOptions options);

}  // namespace vexaro::regex_engine
