#include "catalog.h"

#include <array>

namespace vexaro::sample {

namespace {

// "{base}" in a record stands for the service's own address.
struct Record {
  std::string_view id;
  std::string_view json;
};

// Titles mix Chinese with ASCII and full-width punctuation; sizes and
// durations are JSON numbers (2.50 keeps its trailing zero on the wire).
constexpr std::array<Record, 12> kRecords = {{
    {"6381399", R"({"message":"成功","code":0,"data":[{"video_id":6381399,"first_cover_image":"{base}/cover/6381399.png","title":"春日赏樱 Vlog 第3期：东京上野公园【4K】！","duration":15,"size":2.50,"is_original_desc":"原创","author":{"nickname":"旅行的猫","uid":1024},"format_watch_num":"1.2万","synchronized_time":"2024-03-28 18:30:00","addresses":{"hd":{"url":"{base}/video/6381399/hd.mp4","width":1080},"sd":{"url":"{base}/video/6381399/sd.mp4","width":540}}}]})"},
    {"6381400", R"({"message":"成功","code":0,"data":[{"video_id":6381400,"first_cover_image":"{base}/cover/6381400.bmp","title":"丂字新解：GBK里的生僻字 Vol.2","duration":9,"size":0.8,"is_original_desc":"转载","author":{"nickname":"字典控"},"format_watch_num":"356","synchronized_time":"2024-01-02 08:00:00","addresses":{"hd":{"url":"{base}/video/6381400/hd.mp4"}}}]})"},
    {"6381401", R"({"message":"成功","code":0,"data":[{"video_id":6381401,"first_cover_image":"{base}/cover/6381401.gif","title":"Morning run 5km @ Lakeside","duration":42,"size":7.25,"is_original_desc":"原创","author":{"nickname":"runner_01"},"format_watch_num":"9.8万","synchronized_time":"2023-11-11 06:15:30","addresses":{"sd":{"url":"{base}/go/6381401/sd.mp4"}}}]})"},
    {"6381402", R"({"message":"成功","code":0,"data":[{"video_id":6381402,"first_cover_image":"{base}/cover/6381402.ico","title":"小猫的午后时光～","duration":30,"size":3,"is_original_desc":"原创","author":{"nickname":"喵星人"},"format_watch_num":"12","synchronized_time":"2024-05-20 13:14:00","addresses":{"hd":{"url":"{base}/video/6381402/hd.mp4"}}}]})"},
    {"6381403", R"({"message":"成功","code":0,"data":[{"video_id":6381403,"first_cover_image":"{base}/cover/6381403.pcx","title":"老街的手艺人（上）","duration":125,"size":18.6,"is_original_desc":"原创","author":{"nickname":"城市记忆"},"format_watch_num":"4,096","synchronized_time":"2022-08-08 20:08:08","addresses":{"hd":{"url":"{base}/video/6381403/hd.mp4"}}}]})"},
    {"6381404", R"({"message":"成功","code":0,"data":[{"video_id":6381404,"first_cover_image":"{base}/cover/6381404.jpg","title":"夜市美食地图 No.7","duration":60,"size":10.5,"is_original_desc":"原创","author":{"nickname":"吃货日记"},"format_watch_num":"2.3万","synchronized_time":"2024-07-01 21:00:00","addresses":{"hd":{"url":"{base}/video/6381404/hd.mp4"}}}]})"},
    // A video that the service no longer has.
    {"6381410", R"({"message":"视频不存在","code":404,"data":[]})"},
    // A record without any address (and whose cover is gone).
    {"6381411", R"({"message":"成功","code":0,"data":[{"video_id":6381411,"first_cover_image":"{base}/cover/missing.png","title":"没有地址的视频","duration":5,"size":0.1,"is_original_desc":"原创","author":{"nickname":"测试"},"format_watch_num":"0","synchronized_time":"2024-02-29 00:00:00","addresses":{}}]})"},
    // Records whose video file is missing or breaks off halfway.
    {"6381412", R"({"message":"成功","code":0,"data":[{"video_id":6381412,"first_cover_image":"{base}/cover/6381412.png","title":"被删除的视频文件","duration":20,"size":4,"is_original_desc":"原创","author":{"nickname":"测试"},"format_watch_num":"1","synchronized_time":"2024-04-01 10:00:00","addresses":{"hd":{"url":"{base}/video/6381412/hd.mp4"}}}]})"},
    {"6381413", R"({"message":"成功","code":0,"data":[{"video_id":6381413,"first_cover_image":"{base}/cover/6381413.png","title":"传到一半的视频","duration":20,"size":4,"is_original_desc":"原创","author":{"nickname":"测试"},"format_watch_num":"1","synchronized_time":"2024-04-01 10:00:00","addresses":{"hd":{"url":"{base}/video/6381413/hd.mp4"}}}]})"},
    // Held back before it is answered (see IsSlowVideo); fields missing or
    // null, a cover that is no picture, and an address name that is not an
    // identifier.
    {"6381414", R"({"message":"成功","code":0,"data":[{"video_id":6381414,"first_cover_image":"{base}/cover/not-a-picture.png","duration":null,"size":1.5,"is_original_desc":"原创","author":{},"format_watch_num":"7","synchronized_time":null,"addresses":{"1080p":{"url":"{base}/video/6381414/hd.mp4"}}}]})"},
    // A video file that comes slowly (VideoKind::kSlow), for closing
    // the window or stopping while a download is under way.
    {"6381415", R"({"message":"成功","code":0,"data":[{"video_id":6381415,"first_cover_image":"{base}/cover/6381415.png","title":"慢慢传来的视频","duration":600,"size":64,"is_original_desc":"原创","author":{"nickname":"测试"},"format_watch_num":"3","synchronized_time":"2024-06-01 09:00:00","addresses":{"hd":{"url":"{base}/video/6381415/hd.mp4"}}}]})"},
}};

constexpr std::string_view kNoSuchVideo = R"({"message":"视频不存在","code":404,"data":[]})";
constexpr std::string_view kBadParameter = R"({"message":"参数错误","code":400,"data":[]})";

std::string WithBase(std::string_view json, std::string_view base) {
  constexpr std::string_view kMarker = "{base}";
  std::string out;
  out.reserve(json.size() + 4 * base.size());
  std::size_t at = 0;
  for (std::size_t found; (found = json.find(kMarker, at)) != std::string_view::npos;
       at = found + kMarker.size()) {
    out.append(json.substr(at, found - at));
    out.append(base);
  }
  out.append(json.substr(at));
  return out;
}

}  // namespace

std::string DetailJson(std::string_view videoId, std::string_view dtu, std::string_view base) {
  if (dtu != "200") return std::string(kBadParameter);
  for (const Record& record : kRecords) {
    if (record.id == videoId) return WithBase(record.json, base);
  }
  return std::string(kNoSuchVideo);
}

bool IsSlowVideo(std::string_view videoId) { return videoId == "6381414"; }

VideoKind VideoKindOf(std::string_view videoId, std::string_view quality) {
  if (videoId == "6381412") return VideoKind::kMissing;
  if (videoId == "6381413") return VideoKind::kBrokenOff;
  if (videoId == "6381415" && quality == "hd") return VideoKind::kSlow;
  for (const Record& record : kRecords) {
    if (record.id != videoId) continue;
    const std::string path = "/video/" + std::string(videoId) + "/" + std::string(quality) + ".mp4\"";
    const std::string redirected = "/go/" + std::string(videoId) + "/" + std::string(quality) + ".mp4\"";
    if (record.json.find(path) != std::string_view::npos ||
        record.json.find(redirected) != std::string_view::npos)
      return VideoKind::kComplete;
  }
  return VideoKind::kMissing;
}

std::uint64_t VideoLength(std::string_view quality, std::uint64_t hdSize) {
  return quality == "sd" ? hdSize / 2 + 3 : hdSize;
}

}  // namespace vexaro::sample
