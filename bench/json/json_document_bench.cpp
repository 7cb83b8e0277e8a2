// What one detail lookup asks of a JsonDocument: construct, Parse a detail
// record of about 10 KB, read nine fields, list the address names, destroy.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "duktape.h"
#include "json/json_document.h"
#include "text/code_page.h"

namespace vexaro {
namespace {

// A detail record shaped like the service's answer, padded with the kind of
// members such records carry (tags, comments) to about 10 KB.
AnsiText DetailRecord() {
  std::string json = R"({"code":0,"message":"成功","data":[{"video_id":"7301234567890",)"
                     R"("title":"在海边看日落的一天 #旅行 #日常 A day at the sea",)"
                     R"("first_cover_image":"http://127.0.0.1:8080/cover/7301234567890.jpg",)"
                     R"("duration":"00:01:35","size":"12.6MB","is_original_desc":"原创","ratio":1.78,)"
                     R"("author":{"nickname":"旅行的小王","uid":12345678901234,"avatar":"http://127.0.0.1:8080/a.jpg"},)"
                     R"("format_watch_num":"12.3万","synchronized_time":"2023-11-05 18:20:31",)"
                     R"("addresses":{"hd":{"url":"http://127.0.0.1:8080/v/hd.mp4","width":1080},)"
                     R"("sd":{"url":"http://127.0.0.1:8080/v/sd.mp4","width":720}},"tags":[)";
  for (int i = 0; i < 70; ++i) {
    if (i > 0) json += ',';
    json += R"({"id":)" + std::to_string(1000 + i) + R"(,"name":"标签)" + std::to_string(i) +
            R"(","weight":)" + std::to_string(i * 37 % 100) + "}";
  }
  json += R"(],"comments":[)";
  for (int i = 0; i < 60; ++i) {
    if (i > 0) json += ',';
    json += R"({"user":"用户)" + std::to_string(i) +
            R"(","text":"拍得真好，风景太美了！Beautiful view, thanks for sharing.","likes":)" +
            std::to_string(i * 13) + R"(,"time":1699179631})";
  }
  json += "]}]}";
  return Utf8ToAnsi(json);
}

constexpr const char* kFields[] = {
    "message",
    "data[0].first_cover_image",
    "data[0].title",
    "data[0].duration",
    "data[0].size",
    "data[0].is_original_desc",
    "data[0].author.nickname",
    "data[0].format_watch_num",
    "data[0].synchronized_time",
};

void BM_DetailLookup(benchmark::State& state) {
  const AnsiText record = DetailRecord();
  std::vector<AnsiText> names;
  for (auto _ : state) {
    JsonDocument document;
    document.Parse(record);
    for (const char* field : kFields) benchmark::DoNotOptimize(document.GetValue(field));
    document.GetMemberNames(names, "data[0].addresses");
    benchmark::DoNotOptimize(names);
  }
  state.counters["record_bytes"] = static_cast<double>(record.size());
}
BENCHMARK(BM_DetailLookup)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The reference: the same work done on a bare Duktape heap with its own JSON
// decoder and property reads, none of the document's prelude, path checks,
// deadline or text conversions. The ratio of the two medians is what the
// document adds to the engine.
void BM_BareEngineReference(benchmark::State& state) {
  std::string utf8 = AnsiToUtf8(DetailRecord());
  const char* const paths[][4] = {
      {"message"},           {"data", "0", "first_cover_image"},
      {"data", "0", "title"}, {"data", "0", "duration"},
      {"data", "0", "size"},  {"data", "0", "is_original_desc"},
      {"data", "0", "author", "nickname"}, {"data", "0", "format_watch_num"},
      {"data", "0", "synchronized_time"},
  };
  for (auto _ : state) {
    duk_context* context = duk_create_heap_default();
    duk_push_lstring(context, utf8.data(), utf8.size());
    duk_json_decode(context, -1);
    for (const auto& path : paths) {
      duk_dup_top(context);
      for (const char* key : path) {
        if (key == nullptr) break;
        duk_get_prop_string(context, -1, key);
        duk_remove(context, -2);
      }
      std::string value = duk_safe_to_string(context, -1);
      benchmark::DoNotOptimize(value);
      duk_pop(context);
    }
    duk_get_prop_string(context, -1, "data");
    duk_get_prop_index(context, -1, 0);
    duk_get_prop_string(context, -1, "addresses");
    duk_enum(context, -1, DUK_ENUM_OWN_PROPERTIES_ONLY);
    std::vector<std::string> names;
    while (duk_next(context, -1, 0)) {
      names.emplace_back(duk_get_string(context, -1));
      duk_pop(context);
    }
    benchmark::DoNotOptimize(names);
    duk_destroy_heap(context);
  }
}
BENCHMARK(BM_BareEngineReference)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_Construct(benchmark::State& state) {
  for (auto _ : state) {
    JsonDocument document;
    benchmark::DoNotOptimize(document);
  }
}
BENCHMARK(BM_Construct)->Unit(benchmark::kMicrosecond);

void BM_Parse(benchmark::State& state) {
  const AnsiText record = DetailRecord();
  JsonDocument document;
  for (auto _ : state) benchmark::DoNotOptimize(document.Parse(record));
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMicrosecond);

void BM_GetValue(benchmark::State& state) {
  JsonDocument document;
  document.Parse(DetailRecord());
  for (auto _ : state) benchmark::DoNotOptimize(document.GetValue("data[0].author.nickname"));
}
BENCHMARK(BM_GetValue)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vexaro

