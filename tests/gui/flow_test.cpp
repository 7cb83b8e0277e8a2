// The whole flow on the real window, offscreen: clicks on "解析" and "下载"
// against the sample service, with the commands wired as the program wires
// them. The lookups and downloads run on detached workers; the test serves
// the window's events while it waits for them, with a bound.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/fetch_url.h"
#include "app/service_address.h"
#include "app/window_ops.h"
#include "catalog.h"
#include "gui/commands_wiring.h"
#include "gui/main_window.h"
#include "gui/picture_box.h"
#include "gui/qt_window_operations.h"
#include "pictures.h"
#include "sample_service.h"
#include "server_process.h"
#include "text/code_page.h"
#include "video_bytes.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;
using testing::SampleServiceServer;

AnsiText A(std::string_view utf8) { return Utf8ToAnsi(utf8); }

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ExpectedVideo(std::string_view videoId, std::string_view quality, std::uint64_t hdSize) {
  std::string bytes(sample::VideoLength(quality, hdSize), '\0');
  sample::FillVideoBytes(sample::VideoSeed(videoId, quality), 0, reinterpret_cast<unsigned char*>(bytes.data()),
                         bytes.size());
  return bytes;
}

// A time-stamp file name: 13 decimal digits and ".mp4".
bool IsTimestampName(const std::string& name) {
  return name.size() == 17 && name.substr(13) == ".mp4" && name.find_first_not_of("0123456789") == 13;
}

// One window, one service and one save directory for the whole suite: the
// workers of one test may still be finishing when the next begins, so the
// window they talk to stays until the suite ends.
class Flow : public ::testing::Test {
 protected:
  static constexpr std::uint64_t kVideoSize = 777777;

  static void SetUpTestSuite() {
    service_ = new SampleServiceServer;
    ASSERT_TRUE(service_->Start(kVideoSize)) << SampleServiceServer::ExecutablePath();
    ::setenv(std::string(kServiceUrlVariable).c_str(), service_->Url().c_str(), 1);
    temp_ = new testing::TempDir;
    window_ = new MainWindow;
    operations_ = new QtWindowOperations(*window_);
    SetWindowOperations(operations_);
    InstallCommands(*window_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
  }

  static void TearDownTestSuite() {
    SetWindowOperations(nullptr);
    delete operations_;
    delete window_;
    delete temp_;
    delete service_;
  }

  void SetUp() override {
    fs::remove_all(SaveDirectory());
    Edit(Control::编辑框2)->clear();
    Line(Control::编辑框4)->clear();
    Line(Control::编辑框3)->setText(QString::fromStdString(SaveDirectory().string()));
  }

  static QPlainTextEdit* Edit(Control control) {
    return qobject_cast<QPlainTextEdit*>(window_->ControlWidget(control));
  }
  static QLineEdit* Line(Control control) { return qobject_cast<QLineEdit*>(window_->ControlWidget(control)); }
  static fs::path SaveDirectory() { return fs::path(temp_->path()) / "mp4"; }

  // The lines of the output box as the program wrote them.
  static std::vector<AnsiText> OutputLines() {
    const AnsiText text = operations_->ReadControlText(Control::编辑框2);
    std::vector<AnsiText> lines;
    for (std::size_t at = 0, end; at < text.size(); at = end + 2) {
      end = text.find("\r\n", at);
      if (end == AnsiText::npos) end = text.size();
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }

  static bool WaitUntil(const std::function<bool()>& done, int milliseconds = 20000) {
    return QTest::qWaitFor(done, milliseconds);
  }

  static void TypeLink(const QString& text) {
    Edit(Control::编辑框1)->clear();
    QTest::keyClicks(Edit(Control::编辑框1), text);
  }

  static void Click(Control button) { QTest::mouseClick(window_->ControlWidget(button), Qt::LeftButton); }

  // Clicks "解析" and waits for the lookup's ninth line.
  static void ParseSuccessfully() {
    const std::size_t before = OutputLines().size();
    Click(Control::按钮1);
    ASSERT_TRUE(WaitUntil([&] { return OutputLines().size() >= before + 9; }))
        << "the lookup did not finish";
  }

  // Clicks "下载" and gives the worker's last line once it has come.
  static AnsiText Download() {
    Click(Control::按钮2);
    EXPECT_TRUE(WaitUntil([] {
      const auto lines = OutputLines();
      return !lines.empty() && lines.back() != A("正在下载......");
    }));
    return OutputLines().empty() ? AnsiText() : OutputLines().back();
  }

  static std::size_t DetailRequestCount() {
    const ByteBuffer log = FetchUrl(service_->Url("/requests"));
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
  }

  static QImage ShownPicture() {
    return static_cast<PictureBox*>(window_->ControlWidget(Control::图片框1))->Picture();
  }

  static QImage Decoded(sample::PictureFormat format) {
    const std::string& bytes = sample::PictureBytes(format);
    return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
  }

  static inline SampleServiceServer* service_ = nullptr;
  static inline testing::TempDir* temp_ = nullptr;
  static inline MainWindow* window_ = nullptr;
  static inline QtWindowOperations* operations_ = nullptr;
};

TEST_F(Flow, TheSampleLinkGivesNineLinesThePictureAndTheHanziName) {
  // The window starts with the sample share link in 编辑框1.
  EXPECT_NE(Edit(Control::编辑框1)->toPlainText().indexOf("videoID=6381399"), -1);
  ParseSuccessfully();

  const std::string base = service_->Url();
  EXPECT_EQ(OutputLines(), (std::vector<AnsiText>{
                               A("解析成功"), A("标题:春日赏樱 Vlog 第3期：东京上野公园【4K】！"), A("时长:15"),
                               A("大小:2.5"), A("原创:原创"), A("作者:旅行的猫"), A("播放:1.2万"),
                               A("时间:2024-03-28 18:30:00"), "url:" + base + "/video/6381399/hd.mp4"}));
  const QImage expected = Decoded(sample::PictureFormat::kPng);
  ASSERT_FALSE(expected.isNull());
  EXPECT_EQ(ShownPicture().convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(Line(Control::编辑框4)->text(), QStringLiteral("春日赏樱第期东京上野公园"));
}

TEST_F(Flow, DownloadWritesTheServedBytesUnderTheProposedName) {
  TypeLink("6381399");
  ParseSuccessfully();

  EXPECT_EQ(Download(), A("下载完成"));
  EXPECT_EQ(OutputLines().end()[-2], A("正在下载......"));
  const fs::path file = SaveDirectory() / "春日赏樱第期东京上野公园.mp4";
  EXPECT_TRUE(ReadWholeFile(file) == ExpectedVideo("6381399", "hd", kVideoSize)) << file;
}

TEST_F(Flow, AnEmptyFileNameGivesAThirteenDigitName) {
  TypeLink("6381401");  // an ASCII title: no Chinese characters, no name
  ParseSuccessfully();
  EXPECT_EQ(Line(Control::编辑框4)->text(), QString());

  EXPECT_EQ(Download(), A("下载完成"));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(SaveDirectory())) names.push_back(entry.path().filename());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(IsTimestampName(names[0])) << names[0];
  EXPECT_TRUE(ReadWholeFile(SaveDirectory() / names[0]) == ExpectedVideo("6381401", "sd", kVideoSize));
}

TEST_F(Flow, AFailedLookupChangesNothing) {
  TypeLink("6381402");
  ParseSuccessfully();
  const std::vector<AnsiText> lines = OutputLines();
  const QImage picture = ShownPicture();
  const QString name = Line(Control::编辑框4)->text();

  for (const char* failing : {"6381410", "31415926"}) {
    const std::size_t requests = DetailRequestCount();
    TypeLink(failing);
    Click(Control::按钮1);
    ASSERT_TRUE(WaitUntil([&] { return DetailRequestCount() > requests; })) << failing;
    QTest::qWait(300);  // the lookup's own end, after the answer came
    EXPECT_EQ(OutputLines(), lines) << failing;
    EXPECT_EQ(ShownPicture(), picture) << failing;
    EXPECT_EQ(Line(Control::编辑框4)->text(), name) << failing;
  }
  // Download still fetches the video of the last lookup that succeeded.
  EXPECT_EQ(Download(), A("下载完成"));
  EXPECT_TRUE(ReadWholeFile(SaveDirectory() / name.toStdString().append(".mp4")) ==
              ExpectedVideo("6381402", "hd", kVideoSize));
}

TEST_F(Flow, AMissingOrBrokenVideoIsReportedAndTheExistingFileKept) {
  struct Case {
    const char* videoId;
    AnsiText line;
  };
  for (const Case& c : {Case{"6381412", A("下载失败:HTTP 404")}, Case{"6381413", A("下载失败:传输中断")}}) {
    Edit(Control::编辑框2)->clear();
    fs::remove_all(SaveDirectory());
    TypeLink(c.videoId);
    ParseSuccessfully();
    fs::create_directories(SaveDirectory());
    const fs::path file = SaveDirectory() / (Line(Control::编辑框4)->text().toStdString() + ".mp4");
    std::ofstream(file, std::ios::binary) << "the video saved last week";

    EXPECT_EQ(Download(), c.line) << c.videoId;
    EXPECT_EQ(ReadWholeFile(file), "the video saved last week") << c.videoId;
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(SaveDirectory())) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 1u) << "a partial file stayed beside the target: " << c.videoId;
  }
}

}  // namespace
}  // namespace vexaro
