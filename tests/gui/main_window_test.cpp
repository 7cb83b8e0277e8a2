#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <limits>

#include "app/startup.h"
#include "app/window_ops.h"
#include "glyph_check.h"
#include "gui/picture_box.h"
#include "gui/qt_window_operations.h"
#include "text/code_page.h"
#include "shown_window.h"

namespace vexaro {
namespace {

// The shown window, with a look-up of its controls by their object names.
class ShownWindow : public ShownWindowTest {
 protected:
  template <typename Widget>
  Widget* Find(const char* name) {
    return window_.findChild<Widget*>(QString::fromUtf8(name));
  }
};

TEST_F(ShownWindow, CaptionPlacementAndOuterSize) {
  EXPECT_EQ(window_.windowTitle(), QStringLiteral("Vexaro Talmorn Brimzo"));
  EXPECT_EQ(window_.frameGeometry(), QRect(50, 50, 764, 355));
}

TEST_F(ShownWindow, EveryControlWhereItBelongs) {
  struct Expected {
    Control control;
    const char* name;
    const char* kind;
    const char* parent;
    QRect geometry;
    const char* text;  // nullptr: not looked at here
  };
  const Expected table[] = {
      {Control::透明标签1, "透明标签1", "QLabel", "", {1, 8, 90, 48}, "视频ID或\n分享链接"},
      {Control::编辑框1, "编辑框1", "QPlainTextEdit", "", {96, 8, 544, 64}, nullptr},
      {Control::按钮1, "按钮1", "QPushButton", "", {648, 8, 104, 62}, "解析"},
      {Control::选择框1, "选择框1", "QCheckBox", "", {21, 54, 64, 16}, "剪贴板"},
      {Control::分组框1, "分组框1", "QGroupBox", "", {8, 75, 744, 208}, ""},
      {Control::图片框1, "图片框1", "vexaro::PictureBox", "分组框1", {11, 16, 192, 184}, nullptr},
      {Control::编辑框2, "编辑框2", "QPlainTextEdit", "分组框1", {211, 9, 528, 197}, ""},
      {Control::透明标签2, "透明标签2", "QLabel", "", {12, 290, 60, 24}, "保存目录:"},
      {Control::编辑框3, "编辑框3", "QLineEdit", "", {74, 286, 296, 32}, nullptr},
      {Control::透明标签3, "透明标签3", "QLabel", "", {392, 288, 48, 24}, "文件名"},
      {Control::编辑框4, "编辑框4", "QLineEdit", "", {448, 288, 176, 32}, ""},
      {Control::按钮2, "按钮2", "QPushButton", "", {664, 287, 80, 32}, "下载"},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.name);
    QWidget* widget = window_.ControlWidget(e.control);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName(), QString::fromUtf8(e.name));
    EXPECT_STREQ(widget->metaObject()->className(), e.kind);
    const QString parent = widget->parentWidget() == &window_ ? QString()
                                                              : widget->parentWidget()->objectName();
    EXPECT_EQ(parent, QString::fromUtf8(e.parent));
    EXPECT_EQ(widget->geometry(), e.geometry);
    EXPECT_TRUE(widget->isVisible());
    if (!e.text) continue;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) text = group->title();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) text = edit->toPlainText();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) text = edit->text();
    EXPECT_EQ(text, QString::fromUtf8(e.text));
  }
}

TEST_F(ShownWindow, InitialStateAndSettings) {
  EXPECT_FALSE(IsTicked(Control::选择框1));
  EXPECT_FALSE(Find<QCheckBox>("选择框1")->isChecked());
  EXPECT_EQ(ReadControlText(Control::编辑框2), "");
  EXPECT_EQ(ReadControlText(Control::编辑框4), "");
  EXPECT_TRUE(Find<PictureBox>("图片框1")->Picture().isNull());

  // The save directory: the program's directory and "mp4", written when the
  // window appeared.
  EXPECT_EQ(Find<QLineEdit>("编辑框3")->text(), QCoreApplication::applicationDirPath() + "/mp4");

  for (const char* name : {"编辑框1", "编辑框2"}) {
    auto* edit = Find<QPlainTextEdit>(name);
    EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << name;
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << name;
    EXPECT_FALSE(edit->isReadOnly()) << name;
  }
  for (const char* name : {"编辑框3", "编辑框4"}) {
    auto* edit = Find<QLineEdit>(name);
    EXPECT_FALSE(edit->isReadOnly()) << name;
    EXPECT_EQ(edit->echoMode(), QLineEdit::Normal) << name;
    EXPECT_EQ(edit->maxLength(), std::numeric_limits<int>::max()) << name;
  }
}

TEST_F(ShownWindow, SampleShareLink) {
  const QString link = QString::fromUtf8(ReadControlText(Control::编辑框1));
  static const QRegularExpression form(QStringLiteral(
      R"(^http://[a-z0-9.-]+/#/shareVideo1\?videoID=6381399&key=[A-Za-z0-9_-]{131}&from=1&style=1$)"));
  EXPECT_TRUE(form.match(link).hasMatch()) << link.toStdString();
}

TEST_F(ShownWindow, NamedFonts) {
  const QFont label = window_.ControlWidget(Control::透明标签1)->font();
  EXPECT_EQ(label.pixelSize(), 16);
  EXPECT_TRUE(label.bold());

  const QFont output = window_.ControlWidget(Control::编辑框2)->font();
  EXPECT_EQ(output.family(), QStringLiteral("微软雅黑"));
  EXPECT_EQ(output.pixelSize(), 12);
  EXPECT_TRUE(output.bold());
  // The face missing here, a Chinese face stands in for it.
  const QString used = QFontInfo(output).family();
  EXPECT_TRUE(used == QStringLiteral("Microsoft YaHei") || used.contains(QStringLiteral("CJK")))
      << used.toStdString();
}

TEST_F(ShownWindow, ChineseDrawsAsGlyphsOffscreen) {
  const QString text = QStringLiteral("视频ID或分享链接解析下载保存目录文件名剪贴板");
  for (Control control : {Control::透明标签1, Control::编辑框2, Control::按钮1, Control::编辑框4}) {
    const QWidget* widget = window_.ControlWidget(control);
    EXPECT_EQ(testing::CheckGlyphs(testing::PainterRenderer(widget->font()), text), QString())
        << widget->objectName().toStdString();
  }
}

TEST_F(ShownWindow, ButtonsRunTheirCommands) {
  int parses = 0, downloads = 0;
  window_.SetParseHandler([&] { ++parses; });
  window_.SetDownloadHandler([&] { ++downloads; });
  QTest::mouseClick(Find<QPushButton>("按钮1"), Qt::LeftButton);
  EXPECT_EQ(parses, 1);
  EXPECT_EQ(downloads, 0);
  QTest::mouseClick(Find<QPushButton>("按钮2"), Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>("按钮2"), Qt::LeftButton);
  EXPECT_EQ(parses, 1);
  EXPECT_EQ(downloads, 2);
}

TEST_F(ShownWindow, TickingTheBoxIsSeen) {
  QTest::mouseClick(Find<QCheckBox>("选择框1"), Qt::LeftButton);
  EXPECT_TRUE(IsTicked(Control::选择框1));
  EXPECT_FALSE(IsTicked(Control::编辑框1));  // not a check box
}

}  // namespace
}  // namespace vexaro

namespace vexaro {
namespace {

TEST(Startup, EntersTheProgramsDirectory) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path("/");
  EXPECT_TRUE(EnterProgramDirectory());
  EXPECT_EQ(std::filesystem::current_path(),
            std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
  std::filesystem::current_path(before);
}

TEST(Startup, SaveDirectoryWithoutAWindowChangesNothing) {
  SetWindowOperations(nullptr);
  SetDefaultSaveDirectory();  // nothing to write into, and no crash
  EXPECT_EQ(DefaultSaveDirectory(),
            (QCoreApplication::applicationDirPath() + "/mp4").toStdString());
}

}  // namespace
}  // namespace vexaro
