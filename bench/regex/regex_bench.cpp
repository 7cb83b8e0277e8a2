// RegexObject costs: the program's two runs, scaling with the subject, the
// positions handed out, and how soon runs that backtrack without end stop.
#include <benchmark/benchmark.h>

#include <string>

#include "regex/regex_object.h"
#include "text/code_page.h"

namespace vexaro {
namespace {

// The Parse command's run over a share link.
void BM_IdFromLink(benchmark::State& state) {
  const AnsiText link = Utf8ToAnsi("看看这个视频 https://v.example.com/share?videoID=7312345678901 复制打开");
  for (auto _ : state) {
    RegexObject regex;
    regex.Create("videoID=(\\d+)", link);
    benchmark::DoNotOptimize(regex.GetSubMatchText(1, 1));
  }
}
BENCHMARK(BM_IdFromLink);

// The response stage's run over the first 1024 bytes of a page.
void BM_CharsetOverPageStart(benchmark::State& state) {
  AnsiText page = "<!DOCTYPE html><html><head><meta name=\"viewport\" content=\"width=device-width\">"
                  "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">";
  while (page.size() < 1024) page += Utf8ToAnsi("<p>视频内容</p>");
  page.resize(1024);
  for (auto _ : state) {
    RegexObject regex;
    regex.Create("<meta.+?charset=[^\\w]?([-\\w]+)", page);
    benchmark::DoNotOptimize(regex.GetSubMatchText(1, 1));
  }
}
BENCHMARK(BM_CharsetOverPageStart);

// Every match of a pattern over a subject of N bytes, with its position.
void BM_AllMatchesWithPositions(benchmark::State& state) {
  AnsiText subject;
  while (subject.size() < static_cast<std::size_t>(state.range(0))) {
    subject += Utf8ToAnsi("编号12345，");
  }
  for (auto _ : state) {
    RegexObject regex;
    regex.Create("\\d+", subject);
    Position position = 0;
    for (int i = 1; i <= regex.GetMatchCount(); ++i) {
      benchmark::DoNotOptimize(regex.GetMatchText(i, &position));
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_AllMatchesWithPositions)->RangeMultiplier(16)->Range(1 << 10, 1 << 22);

// A subject of N bytes with nothing to find: scanning cost alone.
void BM_ScanWithoutMatch(benchmark::State& state) {
  AnsiText subject;
  while (subject.size() < static_cast<std::size_t>(state.range(0))) {
    subject += Utf8ToAnsi("没有编号的文字 text ");
  }
  for (auto _ : state) {
    RegexObject regex;
    benchmark::DoNotOptimize(regex.Create("videoID=(\\d+)", subject));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ScanWithoutMatch)->RangeMultiplier(16)->Range(1 << 10, 1 << 22);

// Catastrophic backtracking at the first position: the match limit ends it.
void BM_CatastrophicPattern(benchmark::State& state) {
  const AnsiText subject = AnsiText(100'000, 'a') + "b";
  for (auto _ : state) {
    RegexObject regex;
    if (regex.Create("(a+)+$", subject)) state.SkipWithError("the run should fail");
  }
}
BENCHMARK(BM_CatastrophicPattern)->Unit(benchmark::kMillisecond)->Iterations(3);

// Heavy but under the match limit at each of many positions: the run's time
// budget ends it.
void BM_SlowAtEveryPosition(benchmark::State& state) {
  AnsiText subject;
  for (int i = 0; i < 4000; ++i) subject += AnsiText(18, 'a') + " ";
  subject += "b";  // so that the engine cannot give up early for want of a b
  for (auto _ : state) {
    RegexObject regex;
    if (regex.Create("(?:a+)+b", subject)) state.SkipWithError("the run should fail");
  }
}
BENCHMARK(BM_SlowAtEveryPosition)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vexaro

BENCHMARK_MAIN();
