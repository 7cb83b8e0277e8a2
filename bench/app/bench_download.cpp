// Downloads a 1 GiB video from the sample service with the program's own
// download worker and with `curl -o`, in turns, each in a child process of
// its own: wall time and peak resident memory side by side. The targets: the
// worker within 5% of curl's time, and under 64 MiB of peak memory, whatever
// the size of the video. Exits with 1 when a target is missed.
//
// The machine is shared, so the time is judged by the median of the ratios
// of five pairs: the two runs of a pair follow each other and see the same
// load, and one disturbed pair does not decide the verdict.
//
//   bench_download [--video-size BYTES] [benchmark options]

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/globals.h"
#include "app/window_ops.h"
#include "sample_service.h"
#include "server_process.h"
#include "video_bytes.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kTimeTolerance = 0.05;
constexpr double kMemoryLimitMiB = 64;

std::uint64_t videoSize = 1ull << 30;

// --- the child: one download by the program's worker -----------------------

// Gives the worker its save directory and name, and prints its last line.
class HeadlessWindow : public vexaro::WindowOperations {
 public:
  HeadlessWindow(std::string directory, std::string name)
      : directory_(std::move(directory)), name_(std::move(name)) {}
  vexaro::AnsiText ReadControlText(vexaro::Control control) override {
    if (control == vexaro::Control::编辑框3) return directory_;
    if (control == vexaro::Control::编辑框4) return name_;
    return {};
  }
  void WriteControlText(vexaro::Control, std::string_view) override {}
  void AppendControlText(vexaro::Control, std::string_view text) override { lastLine_ = text; }
  bool IsTicked(vexaro::Control) override { return false; }
  void ShowPicture(vexaro::Control, const vexaro::ByteBuffer&) override {}
  vexaro::AnsiText ReadClipboardText() override { return {}; }
  const std::string& LastLine() const { return lastLine_; }

 private:
  std::string directory_, name_, lastLine_;
};

int DownloadInThisProcess(const std::string& url, const fs::path& target) {
  HeadlessWindow window(target.parent_path().string(), target.stem().string());
  vexaro::SetWindowOperations(&window);
  vexaro::CurrentVideoUrl.Set(url);
  vexaro::DownloadWorker();
  vexaro::SetWindowOperations(nullptr);
  // "下载完成\r\n" in code page 936.
  return window.LastLine() == "\xCF\xC2\xD4\xD8\xCD\xEA\xB3\xC9\r\n" ? 0 : 1;
}

// --- the parent: runs both, measures ----------------------------------------

struct Run {
  double seconds = 0;
  double peakMiB = 0;
  bool ok = false;
};

Run RunChild(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  Run run;
  if (pid < 0) return run;
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// True when the file holds exactly the served video; read in pieces.
bool HoldsTheVideo(const fs::path& path, std::uint64_t seed) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> got(1 << 20);
  std::vector<unsigned char> expected(got.size());
  std::uint64_t offset = 0;
  while (in) {
    in.read(got.data(), static_cast<std::streamsize>(got.size()));
    const auto count = static_cast<std::size_t>(in.gcount());
    vexaro::sample::FillVideoBytes(seed, offset, expected.data(), count);
    if (std::memcmp(got.data(), expected.data(), count) != 0) return false;
    offset += count;
  }
  return offset == videoSize;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Totals {
  std::vector<double> curlSeconds, vexaroSeconds, ratios;
  double curlPeakMiB = 0, vexaroPeakMiB = 0;
  bool allOk = true;
} totals;

void BM_Download(benchmark::State& state) {
  vexaro::testing::SampleServiceServer service;
  if (!service.Start(videoSize)) {
    state.SkipWithError("the sample service did not start");
    return;
  }
  vexaro::testing::TempDir temp;
  const std::string url = service.Url("/video/6381399/hd.mp4");
  const fs::path curlFile = fs::path(temp.path()) / "curl.mp4";
  const fs::path vexaroFile = fs::path(temp.path()) / "vexaro.mp4";
  const std::string self = fs::read_symlink("/proc/self/exe").string();

  for (auto _ : state) {
    // curl first in even rounds and second in odd ones, so neither always
    // finds the page cache in the other's wake.
    Run curl, vexaro;
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (state.iterations() % 2 == 0)) {
        curl = RunChild({"curl", "-s", "-o", curlFile.string(), url});
      } else {
        vexaro = RunChild({self, "--child-download", url, vexaroFile.string()});
      }
    }
    state.SetIterationTime(vexaro.seconds);
    const std::uint64_t seed = vexaro::sample::VideoSeed("6381399", "hd");
    const bool ok = curl.ok && vexaro.ok && fs::file_size(curlFile) == videoSize &&
                    HoldsTheVideo(vexaroFile, seed);
    totals.allOk = totals.allOk && ok;
    totals.curlSeconds.push_back(curl.seconds);
    totals.vexaroSeconds.push_back(vexaro.seconds);
    totals.ratios.push_back(vexaro.seconds / curl.seconds);
    totals.curlPeakMiB = std::max(totals.curlPeakMiB, curl.peakMiB);
    totals.vexaroPeakMiB = std::max(totals.vexaroPeakMiB, vexaro.peakMiB);
    fs::remove(curlFile);
    fs::remove(vexaroFile);
    if (!ok) state.SkipWithError("a download failed or its bytes differ");
  }
  double curlSum = 0, vexaroSum = 0;
  for (double s : totals.curlSeconds) curlSum += s;
  for (double s : totals.vexaroSeconds) vexaroSum += s;
  state.counters["curl_s"] = curlSum / static_cast<double>(totals.curlSeconds.size());
  state.counters["vexaro_s"] = vexaroSum / static_cast<double>(totals.vexaroSeconds.size());
  state.counters["median_time_ratio"] = Median(totals.ratios);
  state.counters["curl_peak_MiB"] = totals.curlPeakMiB;
  state.counters["vexaro_peak_MiB"] = totals.vexaroPeakMiB;
  state.SetBytesProcessed(static_cast<std::int64_t>(videoSize) * state.iterations());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child-download") == 0) {
    return DownloadInThisProcess(argv[2], argv[3]);
  }
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--video-size") == 0 && i + 1 < argc) {
      videoSize = std::stoull(argv[++i]);
    } else {
      rest.push_back(argv[i]);
    }
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  benchmark::RegisterBenchmark("download_1GiB/vexaro_vs_curl", BM_Download)
      ->UseManualTime()
      ->Iterations(5)
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (totals.curlSeconds.empty()) return 1;
  double curlSum = 0, vexaroSum = 0;
  for (double s : totals.curlSeconds) curlSum += s;
  for (double s : totals.vexaroSeconds) vexaroSum += s;
  const double ratio = Median(totals.ratios);
  const bool timeOk = ratio <= 1.0 + kTimeTolerance;
  const bool memoryOk = totals.vexaroPeakMiB < kMemoryLimitMiB;
  std::printf("download of %llu bytes: vexaro %.3f s, curl %.3f s (median ratio of %zu pairs %.3f, target <= %.2f: %s); "
              "peak memory vexaro %.1f MiB, curl %.1f MiB (target < %.0f MiB: %s); bytes %s\n",
              static_cast<unsigned long long>(videoSize), vexaroSum / static_cast<double>(totals.vexaroSeconds.size()),
              curlSum / static_cast<double>(totals.curlSeconds.size()), totals.ratios.size(), ratio,
              1.0 + kTimeTolerance,
              timeOk ? "met" : "MISSED", totals.vexaroPeakMiB, totals.curlPeakMiB, kMemoryLimitMiB,
              memoryOk ? "met" : "MISSED", totals.allOk ? "identical" : "WRONG");
  return timeOk && memoryOk && totals.allOk ? 0 : 1;
}
