// The texts the commands show in the window and compare with, as code page
// 936 bytes (every text inside the program is code page 936). The UTF-8 form
// of each is in its comment.
#pragma once

#include <string_view>

namespace vexaro::messages {

// "成功": the detail service's "message" on success.
inline constexpr std::string_view kSuccess = "\xB3\xC9\xB9\xA6";

// "解析成功\r\n": the first line of a lookup that succeeded.
inline constexpr std::string_view kLookupSucceeded = "\xBD\xE2\xCE\xF6\xB3\xC9\xB9\xA6\r\n";

// The labels of the detail lines: "标题:", "时长:", "大小:", "原创:", "作者:",
// "播放:", "时间:" and "url:".
inline constexpr std::string_view kTitleLabel = "\xB1\xEA\xCC\xE2:";
inline constexpr std::string_view kDurationLabel = "\xCA\xB1\xB3\xA4:";
inline constexpr std::string_view kSizeLabel = "\xB4\xF3\xD0\xA1:";
inline constexpr std::string_view kOriginalLabel = "\xD4\xAD\xB4\xB4:";
inline constexpr std::string_view kAuthorLabel = "\xD7\xF7\xD5\xDF:";
inline constexpr std::string_view kPlaysLabel = "\xB2\xA5\xB7\xC5:";
inline constexpr std::string_view kTimeLabel = "\xCA\xB1\xBC\xE4:";
inline constexpr std::string_view kUrlLabel = "url:";

inline constexpr std::string_view kLineEnd = "\r\n";

// "正在下载......\r\n" (six ASCII full stops).
inline constexpr std::string_view kDownloading = "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8......\r\n";
// "下载完成\r\n".
inline constexpr std::string_view kDownloadDone = "\xCF\xC2\xD4\xD8\xCD\xEA\xB3\xC9\r\n";
// "下载失败:", followed by one of the reasons below and kLineEnd.
inline constexpr std::string_view kDownloadFailed = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC:";

// Reasons of a failed download. The HTTP status is shown as "HTTP " and its number.
// "无法连接服务器": the server could not be reached.
inline constexpr std::string_view kReasonNoConnection =
    "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xB7\xFE\xCE\xF1\xC6\xF7";
// "传输中断": the transfer broke off before the whole file came.
inline constexpr std::string_view kReasonBrokenOff = "\xB4\xAB\xCA\xE4\xD6\xD0\xB6\xCF";
// "无法写入文件": the file could not be created, written or moved into place.
inline constexpr std::string_view kReasonWriteFailed =
    "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xCE\xC4\xBC\xFE";
// "磁盘空间不足": the file system has no room left for the video.
inline constexpr std::string_view kReasonDiskFull = "\xB4\xC5\xC5\xCC\xBF\xD5\xBC\xE4\xB2\xBB\xD7\xE3";
// "文件名过长": the file system refuses a name (or path) that long.
inline constexpr std::string_view kReasonNameTooLong = "\xCE\xC4\xBC\xFE\xC3\xFB\xB9\xFD\xB3\xA4";
// "没有视频地址": the last lookup left no video address.
inline constexpr std::string_view kReasonNoAddress =
    "\xC3\xBB\xD3\xD0\xCA\xD3\xC6\xB5\xB5\xD8\xD6\xB7";
// "网络错误": any other failure of the transfer; libcurl's own text follows.
inline constexpr std::string_view kReasonNetwork = "\xCD\xF8\xC2\xE7\xB4\xED\xCE\xF3";

}  // namespace vexaro::messages
