#include "window/background_work.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QThread>
#include <atomic>
#include <climits>
#include <exception>
#include <memory>

#include "editor/auto_cover.h"

namespace quarnel {
namespace {

constexpr int kQuietMilliseconds = 300;
constexpr int kPollMilliseconds = 20;

}  // namespace

bool BackgroundWork::Run(QWidget* parent, const QString& label, AutoProgress& progress,
                         const std::function<void()>& work) {
  std::exception_ptr fault;
  std::atomic<bool> ended{false};
  std::unique_ptr<QThread> thread(QThread::create([&] {
    try {
      work();
    } catch (...) {
      fault = std::current_exception();
    }
    ended = true;
  }));
  thread->start();

  QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, 0, parent);
  dialog.setObjectName(QStringLiteral("BusyDialog"));
  dialog.setWindowTitle(QStringLiteral("Quarnel"));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(kQuietMilliseconds);
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);
  QObject::connect(&dialog, &QProgressDialog::canceled, [&] {
    progress.cancel = true;
    dialog.setLabelText(QStringLiteral("Cancelling..."));
  });
  QElapsedTimer since;
  since.start();
  while (!ended) {
    // Until the dialog shows, presses and keys wait: they would act on what the work is changing.
    const bool shown = dialog.isVisible();
    QApplication::processEvents(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents,
                                kPollMilliseconds);
    thread->wait(QDeadlineTimer(kPollMilliseconds));
    const long long total = progress.total;
    if (total > 0 && total <= INT_MAX) {
      dialog.setMaximum(static_cast<int>(total));
      dialog.setValue(static_cast<int>(progress.done.load()));
    }
    // The dialog shows itself only from a value's change; with no count it is shown by time.
    if (!shown && since.elapsed() >= kQuietMilliseconds && !dialog.isVisible()) dialog.show();
  }
  thread->wait();
  if (fault) std::rethrow_exception(fault);
  return !progress.cancel;
}

}  // namespace quarnel
