#include "regex/match_run.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace vexaro::regex_engine {

namespace {

// Limits of one engine call. The match limit counts backtracking steps from
// each start position: a million takes about 10 ms in the interpreter and 2 ms
// in the JIT, far more than any sane pattern needs over one line of text. It
// also bounds the backtracking depth (each level is one step), so the depth
// limit is set to the same value; the heap limit caps the interpreter's
// memory for that depth.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kDepthLimit = kMatchLimit;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
// The JIT keeps about 32 bytes per repetition of a capturing group: 8 MiB
// (address space; pages are only used as the stack grows) lets a group repeat
// some 250,000 times. Beyond that the interpreter tries, within its limits.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;

// The match limit bounds the work at one start position, not the number of
// positions, so each call may try only this many start positions; between
// calls the run checks its time budget. A pattern that stays just under the
// match limit at every position therefore still ends within the budget.
constexpr std::size_t kStartPositionsPerCall = 32;
constexpr std::chrono::milliseconds kRunTimeBudget{1000};

// The match context (limits, JIT stack) is changed by every call (the offset
// limit), and a JIT stack serves one thread at a time: one of each per thread.
struct ThreadMatchSetup {
  MatchContextHandle context;
  JitStackHandle jitStack;
};

ThreadMatchSetup MakeMatchSetup() {
  ThreadMatchSetup setup;
  setup.context.reset(pcre2_match_context_create(nullptr));
  if (!setup.context) return setup;
  pcre2_set_match_limit(setup.context.get(), kMatchLimit);
  pcre2_set_depth_limit(setup.context.get(), kDepthLimit);
  pcre2_set_heap_limit(setup.context.get(), kHeapLimitKiB);
  setup.jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
  // Without a stack of its own the JIT uses a small one on the machine stack.
  if (setup.jitStack) pcre2_jit_stack_assign(setup.context.get(), nullptr, setup.jitStack.get());
  return setup;
}

pcre2_match_context* ThreadMatchContext() {
  thread_local ThreadMatchSetup setup = MakeMatchSetup();
  return setup.context.get();
}

bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// `position`, or the one after it when it would split a surrogate pair.
std::size_t CharacterStartAtOrAfter(std::u16string_view subject, std::size_t position) {
  if (position > 0 && position < subject.size() && IsLowSurrogate(subject[position]) &&
      IsHighSurrogate(subject[position - 1])) {
    return position + 1;
  }
  return position;
}

// One engine call. A pattern too deep for the JIT's stack is run again by the
// interpreter, which keeps its backtracking on the heap under its own limits.
int MatchOnce(const CompiledPattern& pattern, std::u16string_view subject, std::size_t start,
              pcre2_match_data* data, pcre2_match_context* context) {
  const auto* units = reinterpret_cast<PCRE2_SPTR>(subject.data());
  int result = pcre2_match(pattern.Code(), units, subject.size(), start, 0, data, context);
  if (result == PCRE2_ERROR_JIT_STACKLIMIT) {
    result = pcre2_match(pattern.Code(), units, subject.size(), start, PCRE2_NO_JIT, data, context);
  }
  return result;
}

}  // namespace

std::optional<MatchList> RunPattern(const CompiledPattern& pattern, std::u16string_view subject,
                                    bool global) {
  pcre2_match_context* context = ThreadMatchContext();
  if (!context) return std::nullopt;
  MatchDataHandle data(pcre2_match_data_create_from_pattern(pattern.Code(), nullptr));
  if (!data) return std::nullopt;

  const auto deadline = std::chrono::steady_clock::now() + kRunTimeBudget;
  MatchList matches(pattern.CaptureCount());
  std::vector<Span> spans(static_cast<std::size_t>(pattern.CaptureCount()) + 1);

  std::size_t start = 0;
  while (start <= subject.size()) {
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    const std::size_t lastStart = std::min(start + kStartPositionsPerCall - 1, subject.size());
    pcre2_set_offset_limit(context, lastStart);

    const int result = MatchOnce(pattern, subject, start, data.get(), context);
    if (result == PCRE2_ERROR_NOMATCH) {
      start = CharacterStartAtOrAfter(subject, lastStart + 1);
      continue;
    }
    if (result < 0) return std::nullopt;  // a limit was hit: the run failed

    // Pairs past `result` belong to groups that took no part.
    const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(data.get());
    for (std::size_t group = 0; group < spans.size(); ++group) {
      const bool set = group < static_cast<std::size_t>(result) &&
                       offsets[2 * group] != PCRE2_UNSET;
      spans[group] = set ? Span{offsets[2 * group], offsets[2 * group + 1]} : Span{};
    }
    matches.Add(spans.data());
    if (!global) break;

    // Like JavaScript's lastIndex: go on at the match's end, or one code unit
    // further after an empty match.
    const Span whole = spans[0];
    std::size_t next = whole.end > whole.start ? whole.end : whole.end + 1;
    if (next <= start) next = start + 1;  // never search the same place twice
    start = CharacterStartAtOrAfter(subject, next);
  }
  return matches;
}

}  // namespace vexaro::regex_engine
