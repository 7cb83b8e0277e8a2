// Where the detail requests go.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/service_address.h"
#include "app_fixture.h"

namespace vexaro {
namespace {

TEST(ServiceAddress, AcceptsSchemeHostAndPortOnly) {
  struct Case {
    const char* text;
    std::optional<AnsiText> expected;
  };
  const std::vector<Case> cases = {
      {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
      {"http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
      {"https://video.example.com", "https://video.example.com"},
      {"HTTP://Video.Example.com:80", "HTTP://Video.Example.com:80"},
      {"http://[::1]:9000", "http://[::1]:9000"},
      {"http://localhost:65535", "http://localhost:65535"},
      {"", std::nullopt},
      {"127.0.0.1:8080", std::nullopt},
      {"ftp://127.0.0.1", std::nullopt},
      {"http://", std::nullopt},
      {"http://127.0.0.1:0", std::nullopt},
      {"http://127.0.0.1:65536", std::nullopt},
      {"http://127.0.0.1:", std::nullopt},
      {"http://127.0.0.1:80/video", std::nullopt},
      {"http://127.0.0.1?x=1", std::nullopt},
      {"http://user@127.0.0.1", std::nullopt},
      {"http://127.0.0.1 ", std::nullopt},
      {"http://[::1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseServiceUrl(c.text), c.expected) << c.text;
}

TEST(ServiceAddress, TheDetailRequestGoesToTheConfiguredService) {
  const testing::SampleServiceServer& service = testing::SampleService();
  EXPECT_EQ(ServiceBaseUrl(), service.Url());
  EXPECT_EQ(DetailUrl("6381399"), service.Url("/video/detail?video_id=6381399&dtu=200"));
}

}  // namespace
}  // namespace vexaro
