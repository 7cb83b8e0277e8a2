// Search, Replace and Split over large mixed Chinese and ASCII texts. The
// complexity fit at the end of each family shows whether the cost grows
// linearly with the text's size.
#include <benchmark/benchmark.h>

#include <string>

#include "text/ansi_text.h"

namespace {

// About `size` bytes of cookie-like lines mixing double-byte characters
// (some with trail bytes that look like ASCII) and ASCII.
std::string MixedText(std::size_t size) {
  const std::string piece =
      "name=\xB3\xC9\xB9\xA6; \x81\x61value=abc\x95\x5C; \xCA\xD3\xC6\xB5 title=\xB1\xEA\xCC\xE2; ";
  std::string text;
  text.reserve(size + piece.size());
  while (text.size() < size) text += piece;
  text.resize(size);
  return text;
}

void BM_Search(benchmark::State& state) {
  const std::string text = MixedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(vexaro::Search(text, "not-there"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetComplexityN(state.range(0));
}

void BM_SearchIgnoringCase(benchmark::State& state) {
  const std::string text = MixedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(vexaro::Search(text, "NOT-THERE", 1, true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetComplexityN(state.range(0));
}

void BM_Replace(benchmark::State& state) {
  const std::string text = MixedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(vexaro::Replace(text, "; ", ";"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetComplexityN(state.range(0));
}

void BM_Split(benchmark::State& state) {
  const std::string text = MixedText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(vexaro::Split(text, ";"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetComplexityN(state.range(0));
}

constexpr int64_t kMiB = 1 << 20;

}  // namespace

BENCHMARK(BM_Search)->Arg(kMiB)->Arg(8 * kMiB)->Complexity(benchmark::oN);
BENCHMARK(BM_SearchIgnoringCase)->Arg(kMiB)->Arg(8 * kMiB)->Complexity(benchmark::oN);
BENCHMARK(BM_Replace)->Arg(kMiB)->Arg(8 * kMiB)->Complexity(benchmark::oN);
BENCHMARK(BM_Split)->Arg(kMiB)->Arg(8 * kMiB)->Complexity(benchmark::oN);

BENCHMARK_MAIN();
