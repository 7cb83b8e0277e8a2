#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/window_ops.h"
#include "gui/main_window.h"
#include "gui/qt_window_operations.h"
#include "text/code_page.h"
#include "shown_window.h"

namespace vexaro {
namespace {

using namespace std::chrono_literals;

class WindowOperationsTest : public ShownWindowTest {
 protected:
  // Serves the window's events, as its message loop does, until every
  // thread has ended. (QTest::qWaitFor would sleep between rounds and slow
  // the workers down.)
  static void JoinWhileServing(std::vector<std::thread>& threads, std::atomic<int>& finished) {
    const int count = static_cast<int>(threads.size());
    QTimer heartbeat;  // wakes the loop to look at `finished`
    heartbeat.start(5);
    QElapsedTimer elapsed;
    elapsed.start();
    while (finished.load() < count && elapsed.elapsed() < 60000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(finished.load(), count);
    for (std::thread& thread : threads) thread.join();
  }

  QPlainTextEdit* Output() {
    return qobject_cast<QPlainTextEdit*>(window_.ControlWidget(Control::编辑框2));
  }
};

TEST_F(WindowOperationsTest, FourWorkersAppendAtTheEndWhileTheCaretIsElsewhere) {
  QPlainTextEdit* output = Output();
  output->setPlainText(QStringLiteral("第一行\n第二行\n第三行"));
  output->setFocus();
  QTextCursor caret = output->textCursor();
  caret.setPosition(5);  // inside the second line
  output->setTextCursor(caret);

  constexpr int kThreads = 4, kLines = 1000;
  std::atomic<int> finished{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([t, &finished] {
      for (int i = 0; i < kLines; ++i)
        AppendControlText(Control::编辑框2,
                          Utf8ToAnsi("线程" + std::to_string(t) + " 行" + std::to_string(i) + "\r\n"));
      ++finished;
    });
  }
  JoinWhileServing(workers, finished);

  const AnsiText all = ReadControlText(Control::编辑框2);
  const std::string text = AnsiToUtf8(all);
  ASSERT_EQ(text.rfind("第一行\r\n第二行\r\n第三行", 0), 0u) << "the old text stays in front";
  std::vector<int> next(kThreads, 0);
  std::size_t at = std::string("第一行\r\n第二行\r\n第三行").size();
  int lines = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    if (line.empty()) continue;
    // "线程<t> 行<i>": each thread's lines arrive complete and in order.
    ASSERT_EQ(line.rfind("线程", 0), 0u) << line;
    const int t = std::stoi(line.substr(std::string("线程").size()));
    const int i = std::stoi(line.substr(line.find("行") + std::string("行").size()));
    ASSERT_EQ(i, next[t]) << "thread " << t;
    ++next[t];
    ++lines;
  }
  EXPECT_EQ(lines, kThreads * kLines);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kLines);

  // The caret went to the end and the box shows it; nothing can be undone.
  EXPECT_EQ(output->textCursor().position(), output->document()->characterCount() - 1);
  EXPECT_EQ(output->verticalScrollBar()->value(), output->verticalScrollBar()->maximum());
  EXPECT_GT(output->verticalScrollBar()->maximum(), 0);
  EXPECT_FALSE(output->document()->isUndoAvailable());
}

TEST_F(WindowOperationsTest, AppendAfterTypingCannotBeUndone) {
  QPlainTextEdit* output = Output();
  output->setFocus();
  QTest::keyClicks(output, QStringLiteral("abc"));
  ASSERT_TRUE(output->document()->isUndoAvailable());
  AppendControlText(Control::编辑框2, Utf8ToAnsi("解析成功\r\n"));
  output->undo();
  EXPECT_EQ(AnsiToUtf8(ReadControlText(Control::编辑框2)), "abc解析成功\r\n");
}

TEST_F(WindowOperationsTest, TextsCrossInCodePage936) {
  struct Case {
    Control control;
    std::string written;  // UTF-8, converted to code page 936 on the way
    std::string read;
  };
  const Case cases[] = {
      {Control::编辑框1, "6381399", "6381399"},
      {Control::编辑框1, "第一行\r\n第二行\r\n", "第一行\r\n第二行\r\n"},
      {Control::编辑框2, "", ""},
      {Control::编辑框3, "/tmp/下载/mp4", "/tmp/下载/mp4"},
      {Control::编辑框4, "春日的江南水乡", "春日的江南水乡"},
      {Control::按钮1, "解析", "解析"},
      {Control::透明标签1, "视频ID或\r\n分享链接", "视频ID或\r\n分享链接"},
  };
  for (const Case& c : cases) {
    WriteControlText(c.control, Utf8ToAnsi(c.written));
    EXPECT_EQ(AnsiToUtf8(ReadControlText(c.control)), c.read) << c.written;
  }
  // What the user typed that code page 936 lacks reads as '?'; a zero
  // character ends the text.
  auto* fileName = qobject_cast<QLineEdit*>(window_.ControlWidget(Control::编辑框4));
  fileName->setText(QStringLiteral("a\U0001F600b"));
  EXPECT_EQ(ReadControlText(Control::编辑框4), "a?b");
  fileName->setText(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"));
  EXPECT_EQ(ReadControlText(Control::编辑框4), "ab");
  // The picture box has no text.
  WriteControlText(Control::图片框1, "x");
  EXPECT_EQ(ReadControlText(Control::图片框1), "");
}

TEST_F(WindowOperationsTest, AppendToASingleLineBox) {
  WriteControlText(Control::编辑框4, "ab");
  AppendControlText(Control::编辑框4, Utf8ToAnsi("中"));
  EXPECT_EQ(AnsiToUtf8(ReadControlText(Control::编辑框4)), "ab中");
}

TEST_F(WindowOperationsTest, ClipboardTextArrivesInCodePage936) {
  QGuiApplication::clipboard()->setText(QStringLiteral("链接 videoID=42"));
  EXPECT_EQ(ReadClipboardText(), Utf8ToAnsi("链接 videoID=42"));
  AnsiText fromWorker;
  std::atomic<int> finished{0};
  std::vector<std::thread> worker;
  worker.emplace_back([&] {
    fromWorker = ReadClipboardText();
    ++finished;
  });
  JoinWhileServing(worker, finished);
  EXPECT_EQ(fromWorker, Utf8ToAnsi("链接 videoID=42"));
  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(ReadClipboardText(), "");
}

TEST_F(WindowOperationsTest, EachWorkerReadsItsOwnEarlierWrites) {
  std::atomic<int> finished{0};
  std::atomic<int> mismatches{0};
  std::vector<std::thread> workers;
  for (Control box : {Control::编辑框3, Control::编辑框4}) {
    workers.emplace_back([box, &finished, &mismatches] {
      for (int i = 0; i < 300; ++i) {
        const AnsiText value = std::to_string(i) + "\xD6\xD0";  // "中" in code page 936
        WriteControlText(box, value);
        if (ReadControlText(box) != value) ++mismatches;
      }
      ++finished;
    });
  }
  JoinWhileServing(workers, finished);
  EXPECT_EQ(mismatches.load(), 0);
}

TEST_F(WindowOperationsTest, ReleaseFreesWaitingWorkersAndLaterCallsDoNothing) {
  // The window's thread serves no events here, so the worker waits inside
  // its call until the release.
  std::atomic<bool> returned{false};
  AnsiText read = "unset";
  std::thread worker([&] {
    read = ReadControlText(Control::编辑框1);
    returned = true;
  });
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(returned.load());
  const auto start = std::chrono::steady_clock::now();
  operations_.Release();
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(read, "");

  WriteControlText(Control::编辑框4, "late");
  EXPECT_EQ(qobject_cast<QLineEdit*>(window_.ControlWidget(Control::编辑框4))->text(), "");
  std::thread late([] { AppendControlText(Control::编辑框2, "late\r\n"); });
  late.join();  // returns without the window's thread serving it
  QCoreApplication::processEvents();
  EXPECT_EQ(Output()->toPlainText(), "");
}

TEST(WindowGoingAway, FreesWaitingWorkers) {
  auto window = std::make_unique<MainWindow>();
  QtWindowOperations operations(*window);
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    operations.AppendControlText(Control::编辑框2, "x\r\n");
    returned = true;
  });
  std::this_thread::sleep_for(50ms);
  window.reset();
  worker.join();
  EXPECT_TRUE(returned.load());
  EXPECT_EQ(operations.ReadControlText(Control::编辑框2), "");
}

}  // namespace
}  // namespace vexaro
