// The cookie merge with thousands of cookies: the sent jar holds N cookies,
// the response brings N/2 of the same names with new values and N/2 new ones.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "http/cookie_text.h"
#include "text/ansi_text.h"

namespace {

using vexaro::AnsiText;

// The sent jar of N cookies and the response's N/2 replacements and N/2 new ones.
void MakeJars(int count, std::string& sent, std::string& received) {
  for (int i = 0; i < count; ++i) sent += "session_cookie_" + std::to_string(i) + "=v" + std::to_string(i) + "; ";
  for (int i = 0; i < count; i += 2) received += "session_cookie_" + std::to_string(i) + "=new; ";
  for (int i = 0; i < count / 2; ++i) received += "fresh_" + std::to_string(i) + "=1; ";
}

// The reference: the merge done as plain list walks, each name and each item
// looked up by scanning the lists (quadratic). The program's merge must give
// the same text, only faster.
AnsiText ListWalkMerge(AnsiText cookies, AnsiText returned) {
  cookies = vexaro::RemoveSpaces(cookies);
  returned = vexaro::RemoveSpaces(returned);
  std::vector<AnsiText> list = vexaro::Split(returned, ";");
  for (const AnsiText& old : vexaro::Split(cookies, ";")) {
    if (!vexaro::HasCookieName(list, vexaro::CookieName(old))) list.push_back(old);
  }
  AnsiText joined;
  for (const AnsiText& item : list) {
    if (item.size() >= 8 && item.compare(item.size() - 8, 8, "=deleted") == 0) continue;
    joined += item + "; ";
  }
  joined = joined.substr(0, joined.size() >= 2 ? joined.size() - 2 : 0);
  std::vector<AnsiText> seen;
  AnsiText output;
  for (const AnsiText& item : vexaro::Split(joined, "; ")) {
    if (vexaro::FindItem(seen, item) == -1) {
      seen.push_back(item);
      output += item + "; ";
    }
  }
  return output.substr(0, output.size() >= 2 ? output.size() - 2 : 0);
}

void BM_ListWalkReference(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::string sent, received;
  MakeJars(count, sent, received);
  {
    AnsiText cookies = sent, returned = received;
    if (vexaro::MergeCookieText(cookies, returned) != ListWalkMerge(sent, received)) {
      state.SkipWithError("the merge and the list walk disagree");
      return;
    }
  }
  for (auto _ : state) benchmark::DoNotOptimize(ListWalkMerge(sent, received));
  state.SetComplexityN(count);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListWalkReference)->RangeMultiplier(4)->Range(256, 4096)->Complexity();

void BM_MergeCookieText(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::string sent, received;
  MakeJars(count, sent, received);
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
