// The Download command and its worker against the sample service.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/commands.h"
#include "app/globals.h"
#include "app_fixture.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;
using testing::A;
using testing::DirectoryEntries;
using testing::FakeWindow;
using testing::IsTimestampName;
using testing::ReadWholeFile;
using testing::SampleService;
using testing::WriteWholeFile;

using Download = testing::DownloadWorkerTest;

TEST_F(Download, CreatesTheSaveDirectoryAndWritesTheServedBytesUnderTheTitlesName) {
  const fs::path saveDirectory = root_ / "mp4";
  window_.SetText(Control::编辑框3, saveDirectory.string());
  window_.SetText(Control::编辑框4, A("标题"));
  CurrentVideoUrl.Set(SampleService().Url("/video/6381399/hd.mp4"));

  DownloadCommand();
  EXPECT_EQ(window_.Text(Control::编辑框2).substr(0, 16), A("正在下载......\r\n"));
  EXPECT_TRUE(fs::is_directory(saveDirectory));
  ASSERT_TRUE(window_.WaitForLines(Control::编辑框2, 2));

  EXPECT_EQ(window_.Lines(Control::编辑框2), (std::vector<AnsiText>{A("正在下载......"), A("下载完成")}));
  EXPECT_EQ(DirectoryEntries(saveDirectory), std::vector<std::string>{"标题.mp4"});
  EXPECT_TRUE(ReadWholeFile(saveDirectory / "标题.mp4") == testing::ExpectedVideo("6381399", "hd"))
      << "the file's bytes differ from the served ones";
}

TEST_F(Download, AnEmptyNameGivesAThirteenDigitTimeStamp) {
  window_.SetText(Control::编辑框3, root_.string());
  CurrentVideoUrl.Set(SampleService().Url("/video/6381399/sd.mp4"));

  DownloadCommand();
  ASSERT_TRUE(window_.WaitForLines(Control::编辑框2, 2));

  EXPECT_EQ(window_.Lines(Control::编辑框2).back(), A("下载完成"));
  const auto entries = DirectoryEntries(root_);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(IsTimestampName(entries[0])) << entries[0];
  EXPECT_TRUE(ReadWholeFile(root_ / entries[0]) == testing::ExpectedVideo("6381399", "sd"));
}

TEST_F(Download, ReplacesAnExistingFileOnceTheNewOneIsComplete) {
  WriteWholeFile(root_ / "v.mp4", "an older video");
  window_.SetText(Control::编辑框3, root_.string());
  window_.SetText(Control::编辑框4, "v");
  CurrentVideoUrl.Set(SampleService().Url("/go/6381401/sd.mp4"));

  EXPECT_EQ(RunWorker(), A("下载完成"));
  EXPECT_EQ(DirectoryEntries(root_), std::vector<std::string>{"v.mp4"});
  EXPECT_TRUE(ReadWholeFile(root_ / "v.mp4") == testing::ExpectedVideo("6381401", "sd"));
}

TEST_F(Download, AFailureIsReportedAndLeavesAnExistingFileIntact) {
  struct Case {
    std::string url;
    AnsiText line;
  };
  const std::vector<Case> cases = {
      {SampleService().Url("/video/6381412/hd.mp4"), A("下载失败:HTTP 404")},
      {SampleService().Url("/video/6381413/hd.mp4"), A("下载失败:传输中断")},
      {"http://127.0.0.1:" + std::to_string(testing::FreePort()) + "/v.mp4", A("下载失败:无法连接服务器")},
      {"", A("下载失败:没有视频地址")},
  };
  for (const Case& c : cases) {
    window_.Reset();
    WriteWholeFile(root_ / "v.mp4", "an older video");
    window_.SetText(Control::编辑框3, root_.string());
    window_.SetText(Control::编辑框4, "v");
    CurrentVideoUrl.Set(c.url);

    EXPECT_EQ(RunWorker(), c.line) << c.url;
    EXPECT_EQ(ReadWholeFile(root_ / "v.mp4"), "an older video") << c.url;
    EXPECT_EQ(DirectoryEntries(root_), std::vector<std::string>{"v.mp4"}) << "a temporary file stayed: " << c.url;
  }
}

TEST_F(Download, APathThatCannotBeWrittenIsAFailure) {
  CurrentVideoUrl.Set(SampleService().Url("/video/6381399/sd.mp4"));
  WriteWholeFile(root_ / "a-file", "x");
  fs::create_directory(root_ / "taken.mp4");
  struct Case {
    fs::path saveDirectory;
    const char* name;
  };
  const std::vector<Case> cases = {
      {root_ / "missing" / "mp4", "v"},  // the parent is missing: not created
      {root_ / "a-file", "v"},           // the save directory is a file
      {root_, "taken"},                  // the target is a directory
  };
  for (const Case& c : cases) {
    window_.Reset();
    window_.SetText(Control::编辑框3, c.saveDirectory.string());
    window_.SetText(Control::编辑框4, c.name);
    DownloadCommand();
    ASSERT_TRUE(window_.WaitForLines(Control::编辑框2, 2)) << c.saveDirectory;
    EXPECT_EQ(window_.Lines(Control::编辑框2).back(), A("下载失败:无法写入文件")) << c.saveDirectory;
  }
  EXPECT_FALSE(fs::exists(root_ / "missing"));
  EXPECT_EQ(ReadWholeFile(root_ / "a-file"), "x");
  EXPECT_TRUE(fs::is_empty(root_ / "taken.mp4"));
  EXPECT_EQ(DirectoryEntries(root_), (std::vector<std::string>{"a-file", "taken.mp4"}));
}

TEST_F(Download, WithoutAnAddressNothingStartsButTheDirectoryIsMade) {
  window_.SetText(Control::编辑框3, (root_ / "mp4").string());
  DownloadCommand();
  EXPECT_TRUE(fs::is_directory(root_ / "mp4"));
  EXPECT_EQ(window_.Text(Control::编辑框2), "");
  EXPECT_TRUE(fs::is_empty(root_ / "mp4"));
}

}  // namespace
}  // namespace vexaro
