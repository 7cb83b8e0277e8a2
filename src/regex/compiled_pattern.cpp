#include "regex/compiled_pattern.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vexaro::regex_engine {

namespace {

// What every pattern is compiled with, so that the engine behaves like the
// scripting regular expressions the program was written against:
// - UTF mode lets ignore-case fold non-ASCII letters (Greek, Cyrillic,
//   full-width Latin); without UCP, \d, \w, \s and \b stay ASCII, and
//   NEVER_UCP keeps a "(*UCP)" in the pattern from changing that.
// - MATCH_INVALID_UTF: a subject that is not valid UTF-16 still matches.
// - ALT_BSUX (\uHHHH, \xHH), MATCH_UNSET_BACKREF (a reference to a group that
//   took no part matches the empty text), ALLOW_EMPTY_CLASS ([] never
//   matches, [^] matches any character), DOLLAR_ENDONLY ($ without the
//   multi-line option is the very end) and ALT_CIRCUMFLEX (a multi-line ^ also
//   matches after a final line feed) are the JavaScript readings.
// - NEVER_BACKSLASH_C: \C could stop a match inside a surrogate pair.
// - USE_OFFSET_LIMIT: the run scans the subject in bounded steps.
// There is no DOTALL: "." does not match a line feed.
constexpr std::uint32_t kBaseOptions =
    PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_UCP | PCRE2_ALT_BSUX |
    PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY |
    PCRE2_ALT_CIRCUMFLEX | PCRE2_NEVER_BACKSLASH_C | PCRE2_USE_OFFSET_LIMIT;

constexpr std::size_t kCacheCapacity = 16;
// Longer patterns are compiled every time rather than kept.
constexpr std::size_t kLongestCachedPattern = 4096;

std::uint32_t CompileOptions(PatternOptions options) {
  std::uint32_t flags = kBaseOptions;
  if (options.ignoreCase) flags |= PCRE2_CASELESS;
  if (options.multiline) flags |= PCRE2_MULTILINE;
  return flags;
}

std::shared_ptr<const CompiledPattern> CompileUncached(std::u16string_view pattern,
                                                       PatternOptions options) {
  CompileContextHandle context(pcre2_compile_context_create(nullptr));
  if (!context) return nullptr;
  // Lines end at a line feed only, whatever the library was built with.
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);

  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  CodeHandle code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                CompileOptions(options), &errorCode, &errorOffset,
                                context.get()));
  if (!code) return nullptr;
  // The JIT is an optimisation only: without it the interpreter runs.
  pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
  return std::make_shared<const CompiledPattern>(std::move(code));
}

struct CacheEntry {
  std::u16string pattern;
  PatternOptions options;
  std::shared_ptr<const CompiledPattern> compiled;
};

// Most recently used first. Per thread, so no lock is needed and no two
// threads ever touch the same entry list.
std::vector<CacheEntry>& ThreadCache() {
  thread_local std::vector<CacheEntry> cache;
  return cache;
}

}  // namespace

CompiledPattern::CompiledPattern(CodeHandle code) : code_(std::move(code)) {
  std::uint32_t count = 0;
  pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &count);
  captureCount_ = static_cast<int>(count);
}

std::shared_ptr<const CompiledPattern> CompilePattern(std::u16string_view pattern,
                                                      PatternOptions options) {
  if (pattern.size() > kLongestCachedPattern) return CompileUncached(pattern, options);

  std::vector<CacheEntry>& cache = ThreadCache();
  auto found = std::find_if(cache.begin(), cache.end(), [&](const CacheEntry& entry) {
    return entry.options == options && entry.pattern == pattern;
  });
  if (found != cache.end()) {
    std::rotate(cache.begin(), found, found + 1);
    return cache.front().compiled;
  }

  std::shared_ptr<const CompiledPattern> compiled = CompileUncached(pattern, options);
  if (!compiled) return nullptr;
  if (cache.size() == kCacheCapacity) cache.pop_back();
  cache.insert(cache.begin(), CacheEntry{std::u16string(pattern), options, compiled});
  return compiled;
}

}  // namespace vexaro::regex_engine
