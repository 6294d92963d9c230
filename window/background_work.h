#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace quarnel {

struct AutoProgress;

// Runs work that may take long on a thread of its own, so that the window goes on painting and
// answering. Input to the window waits until the work ends; past 300 ms a modal progress dialog
// with Cancel shows. The work reads and writes only what it is given.
class BackgroundWork {
 public:
  // Runs `work` and returns when it has ended; rethrows what it threw. `progress` is shown as a
  // bar (busy while its total is 0), and Cancel sets its `cancel`. False when cancelled.
  static bool Run(QWidget* parent, const QString& label, AutoProgress& progress,
                  const std::function<void()>& work);
};

}  // namespace quarnel
