// The detail lookup against the sample service, run on the test's thread.
#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "pictures.h"

namespace vexaro {
namespace {

using sample::PictureBytes;
using sample::PictureFormat;
using testing::A;
using testing::FakeWindow;
using testing::SampleService;

class DetailLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Reset();
    CurrentVideoUrl.Release();
  }
  void TearDown() override {
    CurrentVideoId.Release();
    CurrentVideoUrl.Release();
  }

  void LookUp(const char* videoId) {
    CurrentVideoId.Set(videoId);
    DetailLookup();
  }

  FakeWindow& window_ = FakeWindow::Installed();
  const std::string base_ = SampleService().Url();
};

TEST_F(DetailLookupTest, TheSampleVideoGivesNineLinesThePictureAndTheHanziName) {
  LookUp("6381399");

  const std::string hd = base_ + "/video/6381399/hd.mp4";
  EXPECT_EQ(window_.Text(Control::编辑框2),
            A("解析成功\r\n"
              "标题:春日赏樱 Vlog 第3期：东京上野公园【4K】！\r\n"
              "时长:15\r\n"
              "大小:2.5\r\n"
              "原创:原创\r\n"
              "作者:旅行的猫\r\n"
              "播放:1.2万\r\n"
              "时间:2024-03-28 18:30:00\r\n"
              "url:") +
                hd + "\r\n");
  EXPECT_EQ(testing::AsString(window_.Picture()), PictureBytes(PictureFormat::kPng));
  EXPECT_EQ(window_.Text(Control::编辑框4), A("春日赏樱第期东京上野公园"));
  EXPECT_EQ(CurrentVideoUrl.Get(), hd);
}

TEST_F(DetailLookupTest, EachRecordGivesItsCoverNameAndAddress) {
  struct Case {
    const char* videoId;
    PictureFormat cover;
    AnsiText title;
    AnsiText fileName;
    std::string videoPath;
  };
  const std::vector<Case> cases = {
      // 丂 exists only in GBK (81 40): shown in the title, dropped from the name.
      {"6381400", PictureFormat::kBmp, A("丂字新解：GBK里的生僻字 Vol.2"), A("字新解里的生僻字"), "/video/6381400/hd.mp4"},
      {"6381401", PictureFormat::kGif, "Morning run 5km @ Lakeside", "", "/go/6381401/sd.mp4"},
      {"6381402", PictureFormat::kIco, A("小猫的午后时光～"), A("小猫的午后时光"), "/video/6381402/hd.mp4"},
      {"6381403", PictureFormat::kPcx, A("老街的手艺人（上）"), A("老街的手艺人上"), "/video/6381403/hd.mp4"},
      {"6381404", PictureFormat::kJpeg, A("夜市美食地图 No.7"), A("夜市美食地图"), "/video/6381404/hd.mp4"},
  };
  for (const Case& c : cases) {
    window_.Reset();
    window_.SetText(Control::编辑框4, "earlier name");
    LookUp(c.videoId);

    const auto lines = window_.Lines(Control::编辑框2);
    ASSERT_EQ(lines.size(), 9u) << c.videoId;
    EXPECT_EQ(lines[1], A("标题:") + c.title) << c.videoId;
    EXPECT_EQ(lines[8], "url:" + base_ + c.videoPath) << c.videoId;
    EXPECT_EQ(window_.Text(Control::编辑框4), c.fileName) << c.videoId;
    EXPECT_EQ(testing::AsString(window_.Picture()), PictureBytes(c.cover)) << c.videoId;
    EXPECT_EQ(CurrentVideoUrl.Get(), base_ + c.videoPath) << c.videoId;
  }
}

TEST_F(DetailLookupTest, AFailedLookupChangesNothing) {
  for (const char* videoId : {"6381410", "99999999", "0"}) {
    window_.Reset();
    window_.SetText(Control::编辑框2, "earlier line\r\n");
    window_.SetText(Control::编辑框4, A("旧名"));
    CurrentVideoUrl.Set("http://127.0.0.1:1/earlier.mp4");

    LookUp(videoId);

    EXPECT_EQ(window_.Text(Control::编辑框2), "earlier line\r\n") << videoId;
    EXPECT_EQ(window_.Text(Control::编辑框4), A("旧名")) << videoId;
    EXPECT_EQ(window_.PictureShownCount(), 0) << videoId;
    EXPECT_EQ(CurrentVideoUrl.Get(), "http://127.0.0.1:1/earlier.mp4") << videoId;
  }
}

TEST_F(DetailLookupTest, ARecordWithoutAddressesEmptiesTheVideoAddress) {
  CurrentVideoUrl.Set(base_ + "/video/6381399/hd.mp4");
  LookUp("6381411");

  const auto lines = window_.Lines(Control::编辑框2);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[7], A("时间:2024-02-29 00:00:00"));
  EXPECT_EQ(lines[8], "url:");
  EXPECT_EQ(CurrentVideoUrl.Get(), "");
  // Its cover is gone: the box is given the error page (no picture), and the
  // lookup goes on.
  EXPECT_EQ(window_.PictureShownCount(), 1);
  EXPECT_NE(testing::AsString(window_.Picture()).find("404 Not Found"), std::string::npos);
  EXPECT_EQ(window_.Text(Control::编辑框4), A("没有地址的视频"));
}

TEST_F(DetailLookupTest, MissingAndNullFieldsShowTheirLabelsAlone) {
  // This record is also the slow one; the lookup simply waits for it.
  LookUp("6381414");

  EXPECT_EQ(window_.Lines(Control::编辑框2),
            (std::vector<AnsiText>{A("解析成功"), A("标题:"), A("时长:"), A("大小:1.5"), A("原创:原创"),
                                   A("作者:"), A("播放:7"), A("时间:"),
                                   // "1080p" is no identifier, so no address can be read.
                                   "url:"}));
  EXPECT_EQ(window_.Text(Control::编辑框4), "");
  EXPECT_EQ(testing::AsString(window_.Picture()), "this is not a picture\n");
  EXPECT_EQ(CurrentVideoUrl.Get(), "");
}

}  // namespace
}  // namespace vexaro
