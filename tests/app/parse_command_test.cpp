// The Parse command: which ID each input gives and whether a lookup starts.
// The lookups it starts are detached; the test sees them through the sample
// service's log of detail requests and through the lines they append.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/commands.h"
#include "app/fetch_url.h"
#include "app/globals.h"
#include "app_fixture.h"

namespace vexaro {
namespace {

using testing::A;
using testing::FakeWindow;
using testing::SampleService;

// The detail requests the service has seen, one target a line.
std::vector<std::string> DetailRequests() {
  std::vector<std::string> targets;
  const std::string log = testing::AsString(FetchUrl(SampleService().Url("/requests")));
  for (std::size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1) {
    targets.push_back(log.substr(at, end - at));
  }
  return targets;
}

// Waits, with a bound, until the service has seen `count` detail requests.
bool WaitForDetailRequests(std::size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (DetailRequests().size() < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::string DetailTarget(const std::string& videoId) {
  return "/video/detail?video_id=" + videoId + "&dtu=200";
}

// The sample share link: the ID, then a share key of 131 characters.
const std::string kShareLink =
    "http://share.vexaro.example/#/shareVideo1?videoID=6381399&key=" + std::string(120, 'k') +
    "-_0123456789" + "&from=1&style=1";

TEST(ParseCommand, FindsTheIdAndStartsOneLookupForIt) {
  struct Case {
    const char* what;
    AnsiText box;
    bool ticked;
    AnsiText clipboard;
    AnsiText expectedId;
    AnsiText expectedBox;  // 编辑框1 after the click
  };
  const AnsiText fortyDigits = "1234567890123456789012345678901234567890";
  const std::vector<Case> cases = {
      {"bare digits", "6381399", false, "", "6381399", "6381399"},
      {"the sample share link", kShareLink, false, "", "6381399", kShareLink},
      {"0", "0", false, "", "0", "0"},
      {"40 digits", fortyDigits, false, "", fortyDigits, fortyDigits},
      {"a leading space", " 6381399", false, "", "", " 6381399"},
      {"a line break after the digits", "6381399\r\n", false, "", "", "6381399\r\n"},
      {"full-width digits", A("６３８１３９９"), false, "", "", A("６３８１３９９")},
      {"letter case is ignored", "http://x/?VIDEOID=12&k=1", false, "", "12", "http://x/?VIDEOID=12&k=1"},
      {"the first videoID= followed by a digit", "videoID=abc&videoID=77", false, "", "77",
       "videoID=abc&videoID=77"},
      {"digits up to the first other byte", "videoID=12ab", false, "", "12", "videoID=12ab"},
      {"an empty box", "", false, "", "", ""},
      {"the clipboard is not read unless ticked", "no id here", false, "6381410", "", "no id here"},
      {"ticked: the clipboard's ID replaces the box", "whatever", true, "6381410", "6381410", "6381410"},
      {"ticked: an empty clipboard empties the box", "6381399", true, "", "", ""},
  };

  FakeWindow& window = FakeWindow::Installed();
  std::size_t requestsBefore = DetailRequests().size();
  for (const Case& c : cases) {
    window.Reset();
    window.SetText(Control::编辑框1, c.box);
    window.SetTicked(c.ticked);
    window.SetClipboard(c.clipboard);

    ParseCommand();

    EXPECT_EQ(CurrentVideoId.Get(), c.expectedId) << c.what;
    EXPECT_EQ(window.Text(Control::编辑框1), c.expectedBox) << c.what;
    EXPECT_EQ(window.ClipboardReads(), c.ticked ? 1 : 0) << c.what;
    if (!c.expectedId.empty()) {
      ASSERT_TRUE(WaitForDetailRequests(requestsBefore + 1)) << c.what;
      EXPECT_EQ(DetailRequests().back(), DetailTarget(c.expectedId)) << c.what;
      ++requestsBefore;
      // The sample video's lookup is the one that succeeds: wait for its end.
      if (c.expectedId == "6381399") {
        EXPECT_TRUE(window.WaitForLines(Control::编辑框2, 9)) << c.what;
      }
    }
  }
  // No case without an ID started a lookup, not even a late one.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(DetailRequests().size(), requestsBefore);
  window.SetTicked(false);
  CurrentVideoId.Release();
}

TEST(ParseCommand, TheSampleLinkShowsTheVideoAndAClickWithoutIdKeepsItsAddress) {
  FakeWindow& window = FakeWindow::Installed();
  window.Reset();
  window.SetText(Control::编辑框1, kShareLink);
  ParseCommand();
  ASSERT_TRUE(window.WaitForLines(Control::编辑框2, 9));
  const std::string hd = SampleService().Url("/video/6381399/hd.mp4");
  EXPECT_EQ(window.Lines(Control::编辑框2).front(), A("解析成功"));
  EXPECT_EQ(window.Lines(Control::编辑框2).back(), "url:" + hd);
  EXPECT_EQ(window.Text(Control::编辑框4), A("春日赏樱第期东京上野公园"));
  EXPECT_EQ(CurrentVideoUrl.Get(), hd);

  window.SetText(Control::编辑框1, "no id here");
  ParseCommand();
  EXPECT_EQ(CurrentVideoId.Get(), "");
  EXPECT_EQ(CurrentVideoUrl.Get(), hd);
  CurrentVideoUrl.Release();
}

}  // namespace
}  // namespace vexaro
