// The whole-body GET behind the cover picture, against the sample service.
#include <gtest/gtest.h>

#include "app/fetch_url.h"
#include "app_fixture.h"
#include "pictures.h"

namespace vexaro {
namespace {

using testing::AsString;
using testing::SampleService;

TEST(FetchUrl, SendsAnHttp10GetWithTheProgramsAgentAndNoCache) {
  const std::string request = AsString(FetchUrl(SampleService().Url("/echo")));
  EXPECT_EQ(request.substr(0, request.find('\n')), "GET /echo HTTP/1.0");
  EXPECT_NE(request.find("\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\n"),
            std::string::npos)
      << request;
  EXPECT_NE(request.find("\nAccept: */*\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\nPragma: no-cache\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\nCache-Control: no-cache\n"), std::string::npos) << request;
}

TEST(FetchUrl, GivesTheBodyByteForByte) {
  for (auto format : {sample::PictureFormat::kPng, sample::PictureFormat::kBmp, sample::PictureFormat::kJpeg}) {
    const std::string url = SampleService().Url("/cover/x." + std::string(sample::PictureExtension(format)));
    EXPECT_EQ(AsString(FetchUrl(url)), sample::PictureBytes(format)) << url;
  }
  EXPECT_EQ(AsString(FetchUrl(SampleService().Url("/video/6381399/hd.mp4"))),
            testing::ExpectedVideo("6381399", "hd"));
}

TEST(FetchUrl, FollowsRedirectsAndDoesNotLookAtTheStatus) {
  EXPECT_EQ(AsString(FetchUrl(SampleService().Url("/go/6381401/sd.mp4"))),
            testing::ExpectedVideo("6381401", "sd"));
  const std::string notFound = AsString(FetchUrl(SampleService().Url("/video/6381412/hd.mp4")));
  EXPECT_NE(notFound.find("404 Not Found"), std::string::npos) << notFound;
}

TEST(FetchUrl, ATransferThatBreaksOffGivesTheBytesReadSoFar) {
  const std::string expected = testing::ExpectedVideo("6381413", "hd");
  const std::string received = AsString(FetchUrl(SampleService().Url("/video/6381413/hd.mp4")));
  EXPECT_EQ(received.size(), expected.size() / 2);
  EXPECT_TRUE(received == expected.substr(0, received.size())) << "the first bytes differ";
}

TEST(FetchUrl, NothingForAnEmptyUnreachableOrForeignUrl) {
  const int closedPort = testing::FreePort();
  for (const std::string& url : {std::string(), std::string("not a url"),
                                 "http://127.0.0.1:" + std::to_string(closedPort) + "/",
                                 std::string("file:///etc/hostname"), std::string("dict://127.0.0.1/")}) {
    EXPECT_TRUE(FetchUrl(url).empty()) << url;
  }
}

TEST(FetchUrlAtMost, StopsAndGivesNothingPastTheLimit) {
  const std::string url = SampleService().Url("/cover/x.png");
  const std::size_t size = sample::PictureBytes(sample::PictureFormat::kPng).size();
  EXPECT_EQ(FetchUrlAtMost(url, size).size(), size);
  EXPECT_TRUE(FetchUrlAtMost(url, size - 1).empty());
  EXPECT_TRUE(FetchUrlAtMost(SampleService().Url("/video/6381399/hd.mp4"), 64 * 1024).empty());
}

}  // namespace
}  // namespace vexaro
