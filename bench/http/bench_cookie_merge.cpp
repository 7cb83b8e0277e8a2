// The cookie merge with thousands of cookies: the sent jar holds N cookies,
// the response brings N/2 of the same names with new values and N/2 new ones.
#include <benchmark/benchmark.h>

#include <string>

#include "http/cookie_text.h"

namespace {

void BM_MergeCookieText(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::string sent, received;
  for (int i = 0; i < count; ++i) sent += "session_cookie_" + std::to_string(i) + "=v" + std::to_string(i) + "; ";
  for (int i = 0; i < count; i += 2) received += "session_cookie_" + std::to_string(i) + "=new; ";
  for (int i = 0; i < count / 2; ++i) received += "fresh_" + std::to_string(i) + "=1; ";
  for (auto _ : state) {
    vexaro::AnsiText cookies = sent;
    vexaro::AnsiText returned = received;
    benchmark::DoNotOptimize(vexaro::MergeCookieText(cookies, returned));
  }
  state.SetComplexityN(count);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_MergeCookieText)->RangeMultiplier(4)->Range(256, 65536)->Complexity();

void BM_RemoveDuplicates(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::string text;
  for (int i = 0; i < count; ++i) text += "k" + std::to_string(i % (count / 2)) + "=1; ";
  text.resize(text.size() - 2);
  for (auto _ : state) benchmark::DoNotOptimize(vexaro::RemoveDuplicates(text, "; "));
  state.SetComplexityN(count);
}
BENCHMARK(BM_RemoveDuplicates)->RangeMultiplier(4)->Range(256, 65536)->Complexity();

}  // namespace

BENCHMARK_MAIN();
