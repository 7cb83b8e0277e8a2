#include "gui/qt_window_operations.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>

#include "gui/main_window.h"
#include "gui/picture_box.h"
#include "gui/picture_decoder.h"
#include "gui/text_conversion.h"

namespace vexaro {

// Where callers on other threads wait for their call to take effect, and
// what Release() opens for all of them. Shared with the calls in flight, so
// it outlives any of them.
struct QtWindowOperations::Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool released = false;  // written on the window's thread only

  bool IsReleased() {
    std::lock_guard lock(mutex);
    return released;
  }
};

namespace {

template <typename Result>
struct PendingCall {
  bool done = false;
  Result result{};
};

// The program ends lines with "\r\n", Qt's text widgets with "\n".
QString ToWidgetText(std::string_view ansi) {
  QString text = ToQString(ansi);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

AnsiText FromWidgetText(QString text) {
  text.replace(QChar::LineSeparator, u'\n');
  text.replace(QChar::ParagraphSeparator, u'\n');
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return ToAnsiText(text);
}

// The text exactly as the user sees it: toPlainText() would turn no-break
// spaces into spaces.
QString DocumentText(const QTextDocument& document) {
  QString text;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block != document.begin()) text += u'\n';
    text += block.text();
  }
  return text;
}

QString WidgetText(QWidget* widget) {
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return DocumentText(*edit->document());
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  return {};
}

void SetWidgetText(QWidget* widget, const QString& text) {
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    edit->setPlainText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(text);
  }
}

// Moves the caret to the end, inserts the text there and scrolls to it. The
// insertion cannot be undone, which also forgets the earlier undo history,
// as an edit box does when text is put in without undo.
void AppendWidgetText(QWidget* widget, const QString& text) {
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    QTextDocument* document = edit->document();
    const bool undoEnabled = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    document->setUndoRedoEnabled(undoEnabled);
    edit->setTextCursor(cursor);
    edit->ensureCursorVisible();
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(edit->text() + text);  // setText keeps no undo step
    edit->end(false);
  }
}

}  // namespace

QtWindowOperations::QtWindowOperations(MainWindow& window)
    : window_(&window),
      windowThread_(window.thread()),
      carrier_(std::make_unique<QObject>()),
      gate_(std::make_shared<Gate>()) {
  QObject::connect(&window, &QObject::destroyed, carrier_.get(), [this] { Release(); });
}

QtWindowOperations::~QtWindowOperations() { Release(); }

void QtWindowOperations::Release() {
  {
    std::lock_guard lock(gate_->mutex);
    gate_->released = true;
  }
  gate_->changed.notify_all();
}

template <typename Task>
auto QtWindowOperations::OnWindowThread(Task task) -> decltype(task()) {
  using Result = decltype(task());
  if (QThread::currentThread() == windowThread_) {
    return gate_->IsReleased() ? Result() : task();
  }
  const std::shared_ptr<Gate> gate = gate_;
  auto call = std::make_shared<PendingCall<Result>>();
  {
    std::lock_guard lock(gate->mutex);
    if (gate->released) return Result();
  }
  QMetaObject::invokeMethod(
      carrier_.get(),
      [gate, call, task = std::move(task)]() mutable {
        // Release() runs on this same thread, so a released gate cannot open
        // while the task runs and its caller is still waiting for it.
        if (gate->IsReleased()) return;
        Result result = task();
        {
          std::lock_guard lock(gate->mutex);
          call->result = std::move(result);
          call->done = true;
        }
        gate->changed.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(gate->mutex);
  gate->changed.wait(lock, [&] { return call->done || gate->released; });
  return call->done ? std::move(call->result) : Result();
}

AnsiText QtWindowOperations::ReadControlText(Control control) {
  return OnWindowThread([this, control]() -> AnsiText {
    if (!window_) return {};
    return FromWidgetText(WidgetText(window_->ControlWidget(control)));
  });
}

void QtWindowOperations::WriteControlText(Control control, std::string_view text) {
  OnWindowThread([this, control, text = std::string(text)] {
    if (window_) SetWidgetText(window_->ControlWidget(control), ToWidgetText(text));
    return true;
  });
}

void QtWindowOperations::AppendControlText(Control control, std::string_view text) {
  OnWindowThread([this, control, text = std::string(text)] {
    if (window_) AppendWidgetText(window_->ControlWidget(control), ToWidgetText(text));
    return true;
  });
}

bool QtWindowOperations::IsTicked(Control control) {
  return OnWindowThread([this, control] {
    if (!window_) return false;
    auto* box = qobject_cast<QAbstractButton*>(window_->ControlWidget(control));
    return box && box->isCheckable() && box->isChecked();
  });
}

void QtWindowOperations::ShowPicture(Control control, const ByteBuffer& bytes) {
  // Decoded on the caller's thread: a large picture keeps the window busy
  // only for the moment it takes to hand it over.
  QImage picture = DecodePicture(bytes);
  OnWindowThread([this, control, picture = std::move(picture)] {
    if (!window_) return true;
    if (auto* box = qobject_cast<PictureBox*>(window_->ControlWidget(control)))
      box->SetPicture(picture);
    return true;
  });
}

AnsiText QtWindowOperations::ReadClipboardText() {
  return OnWindowThread([]() -> AnsiText {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? ToAnsiText(clipboard->text()) : AnsiText();
  });
}

}  // namespace vexaro
