// The main window's side of the session: the faults, questions and saves it leaves brought before
// the user, what it shows brought onto the controls, and its long work run in slices.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <climits>
#include <exception>

#include "window/layer_spinner.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/status_line.h"
#include "window/surface_view.h"
#include "window/types_panel.h"

namespace quarnel {
namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QRect Cells(const Session::Box& box) {
  return box.left < 0 ? QRect() : QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom));
}

}  // namespace

void MainFrm::Show() {
  if (showing_) return;  // a dialog Show opened brought an event: the loop below sees to it
  showing_ = true;
  // The event's time so far counts: the window answers again within a slice of it.
  if (!event_clock_.isValid()) event_clock_.start();
  const QElapsedTimer& spent = event_clock_;
  for (bool sliced = false;; sliced = true) {
    // Each answer may leave another fault, question or save; a bound keeps a stuck one from
    // holding the window.
    for (int answered = 0; answered < 16 && AnswerOne(); ++answered) {
    }
    ShowValues();
    // Short work ends here, before the event that started it returns; long work goes on beside
    // the window, which answers meanwhile.
    if (!session_.Working() || (sliced && spent.elapsed() >= slice_ms_) || !WorkSlice()) break;
    // A slice that ended long work may have taken long to take its result: the window shows it
    // after the events waiting, so that it never goes twice as long without answering.
    if (spent.elapsed() >= slice_ms_ && !session_.Working()) {
      show_pending_ = true;
      break;
    }
  }
  showing_ = false;
  event_clock_.invalidate();
  ShowWork();
  if (show_pending_) work_timer_.start(0);
  // Closing waits for the save "Save..." started: its work, its questions, its dialog.
  const bool settled = !show_pending_ && !session_.Working() && session_.Question().empty() &&
                       session_.DownloadName().empty();
  if (close_when_ended_ && settled) {
    close_when_ended_ = false;
    if (session_.Ended()) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

bool MainFrm::AnswerOne() {
  if (const std::string fault = session_.TakeFault(); !fault.empty()) {
    ReleasePresses();
    report_fault_(this, Text(fault));
    return true;
  }
  if (!session_.Question().empty()) {
    QStringList answers;
    for (const std::string& answer : session_.Answers()) answers << Text(answer);
    session_.Answer(ask_(this, Text(session_.Question()), answers));
    return true;
  }
  if (!session_.DownloadName().empty()) {
    WriteOffered();
    return true;
  }
  return false;
}

void MainFrm::ShowValues() {
  show_pending_ = false;
  // Qt shows its modified-marker "[*]" as "*" while records are unsaved and hides it otherwise;
  // one in the caption itself, doubled, shows as written.
  setWindowTitle(Text(session_.Caption()).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")) +
                 QStringLiteral("[*]"));
  setWindowModified(session_.HasUnsaved());
  {
    const QSignalBlocker quiet(zscr_);
    zscr_->setValue(session_.Layer());
  }
  const QString layer_text = Text(session_.LayerText());
  if (zval_->text() != layer_text) zval_->setText(layer_text);
  ShowOutput();
  picture1_->SetSelection(Cells(session_.Selection()));
  picture1_->SetCursor(QPoint(session_.CursorColumn(), session_.CursorRow()));
  picture1_->update();
  panel_->Refresh();
  ShowStatus();
}

void MainFrm::ShowOutput() {
  filling_box_ = true;
  if (session_.OutputChanges() != shown_output_) {
    shown_output_ = session_.OutputChanges();
    // Records the program wrote are shown with the caret after them, on no record, as the session
    // has it; typing leaves the caret where the user types.
    if (comlist_->SetText(session_.OutputText())) comlist_->moveCursor(QTextCursor::End);
  }
  // A Ctrl + press's records: highlighted, the caret on the first.
  if (session_.SelectedLines() != shown_lines_) {
    shown_lines_ = session_.SelectedLines();
    QList<QTextEdit::ExtraSelection> marks;
    for (const std::size_t line : shown_lines_) {
      QTextEdit::ExtraSelection mark;
      mark.cursor = QTextCursor(comlist_->document()->findBlockByNumber(static_cast<int>(line)));
      mark.cursor.select(QTextCursor::LineUnderCursor);
      mark.format.setBackground(comlist_->palette().highlight());
      mark.format.setForeground(comlist_->palette().highlightedText());
      marks << mark;
    }
    comlist_->setExtraSelections(marks);
    if (!marks.isEmpty()) comlist_->setTextCursor(marks.constFirst().cursor);
  }
  filling_box_ = false;
}

void MainFrm::ShowStatus() {
  const QString pointer = Text(session_.StatusRow(1));
  status_->Show(Text(session_.StatusRow(0)), pointer, Text(session_.StatusRow(2)));
  // A screen reader hears on the grid what the pointer's row says, and what the square shows.
  const std::string state = session_.PointedCellState();
  picture1_->setAccessibleDescription(state.empty() ? picture1_->toolTip()
                                                    : pointer + QStringLiteral("; ") + Text(state));
  picture1_->SetPreview(Cells(session_.Preview()));
}

void MainFrm::SetWorkPacing(int slice_ms, int quiet_ms) {
  slice_ms_ = slice_ms;
  quiet_ms_ = quiet_ms;
}

bool MainFrm::WorkSlice() {
  if (!work_clock_.isValid()) work_clock_.start();
  if (!parts_.valid()) {
    Session::Parts parts = session_.NextParts(slice_ms_);
    parts_work_ = parts.work;
    parts_ = std::async(std::launch::async, std::move(parts.run));
  }
  // Waited for until the event has had a slice: short work ends before the window answers again.
  const qint64 left = event_clock_.isValid() ? slice_ms_ - event_clock_.elapsed() : slice_ms_;
  if (parts_.wait_for(std::chrono::milliseconds(std::max<qint64>(left, 0))) !=
      std::future_status::ready) {
    return false;
  }
  bool more = false;
  std::exception_ptr fault;
  try {
    more = parts_.get();
  } catch (...) {
    fault = std::current_exception();
  }
  session_.PartsDone(parts_work_, more, fault);
  return true;
}

void MainFrm::ShowWork() {
  if (!session_.Working()) {
    work_clock_.invalidate();
    if (work_dialog_) work_dialog_->hide();
    return;
  }
  // The next slice, or a look at the one running, once the events waiting are handled.
  work_timer_.start(parts_.valid() ? 2 : 0);
  if (!work_clock_.isValid() || work_clock_.elapsed() < quiet_ms_) return;
  if (!work_dialog_) {
    work_dialog_ = new QProgressDialog(this);
    work_dialog_->setObjectName(QStringLiteral("BusyDialog"));
    work_dialog_->setWindowTitle(QStringLiteral("Quarnel"));
    work_dialog_->setWindowModality(Qt::WindowModal);
    work_dialog_->setAutoReset(false);
    work_dialog_->setAutoClose(false);
    work_dialog_->setMinimumDuration(INT_MAX);  // shown here, when the session's work is long
    work_dialog_->reset();
    connect(work_dialog_, &QProgressDialog::canceled, this,
            [this] { Call([this] { session_.Cancel(); }); });
  }
  const Session::Progress progress = session_.WorkProgress();
  work_dialog_->setLabelText(Text(progress.said));
  if (auto* cancel = work_dialog_->findChild<QPushButton*>()) {
    cancel->setEnabled(progress.cancellable);
  }
  const bool counted = progress.total > 0 && progress.total <= INT_MAX;
  work_dialog_->setRange(0, counted ? static_cast<int>(progress.total) : 0);
  if (counted) work_dialog_->setValue(static_cast<int>(progress.done));
  if (!work_dialog_->isVisible()) work_dialog_->show();
}

}  // namespace quarnel
