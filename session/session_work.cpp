// The session's long work: Auto on every type (and, from session_saving.cpp, Save) a part at a
// time, its progress, Cancel, and the refusal of every other control meanwhile.
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/auto_cover.h"
#include "editor/covered.h"
#include "editor/status.h"
#include "model/fault.h"
#include "model/huge_pages.h"
#include "model/type_keys.h"
#include "session/session.h"
#include "shorten/auto_types.h"

namespace quarnel {
namespace {

// A type's row where `keys` holds the rows' keys in order; -1 for another.
std::function<int(std::string_view)> RowsOf(const std::vector<std::string>& keys) {
  auto rows = std::make_shared<TypeKeys>();
  for (const std::string& key : keys) rows->FindOrAdd(key);
  return [rows](std::string_view key) { return rows->Find(key); };
}

}  // namespace

bool Session::RefusedWhileWorking() {
  if (!step_) return false;
  message_ = BusyStatus(step_->what);
  return true;
}

void Session::AutoEvery(bool every_type) {
  Run([&] {
    if (const std::string refusal = AutoManyRefusal(program_); !refusal.empty())
      return Say(refusal);
    if (!every_type) {
      AutoProgress progress;
      AutoManyResult result = AutoCoverLayers(program_, progress);
      Say(AutoManyStatus(result, false));
      if (!result.records.empty()) history_.Add(AddAutoRecords(program_, std::move(result)));
      return;
    }
    std::vector<std::string> keys;
    for (const TypeRow& row : program_.types.rows) keys.emplace_back(program_.types.Key(row));
    const auto box = std::make_shared<const std::string>(output_);
    auto run = std::make_shared<AutoTypesRun>(program_.read_path, keys, box);
    // The box with the records added, and their covered cells, are made beside the window too,
    // once the records are all there: the rows are the keys' places.
    auto done = std::make_shared<AutoManyResult>();
    StartWork(LongStep{
        kAutoEveryTypeWork,
        [run, box, done, keys = std::move(keys), curtype = program_.curtype, runs = program_.runs] {
          if (run->Next()) return true;
          static_cast<LayersCovered&>(*done) = run->Take();
          std::string& after = done->output_after;
          ReserveLarge(after, box->size() + done->records.size());
          after.append(*box).append(done->records);
          done->added_read =
              ReadAddedLines(done->records, box->size(), RowsOf(keys), curtype, runs);
          return false;
        },
        [run] {
          return Progress{{}, run->Done(), run->Total(), {}};
        },
        [this, done] {
          Say(AutoManyStatus(*done, true));
          if (!done->records.empty()) history_.Add(AddAutoRecords(program_, std::move(*done)));
        },
        [] { return AutoManyStatus(Cancelled(), true); }});
  });
}

Session::Progress Session::WorkProgress() const {
  if (!step_) return {};
  Progress progress = step_->progress();
  progress.what = step_->what;
  progress.cancellable = step_->cancelled != nullptr;
  progress.said = progress.what + "...";
  if (progress.total > 0) {
    progress.said += " " + std::to_string(progress.done) + " of " + std::to_string(progress.total);
  }
  return progress;
}

void Session::StartWork(LongStep step) {
  step_ = std::make_unique<LongStep>(std::move(step));
  ++work_;
}

void Session::Continue() {
  if (!step_) return;
  bool more = false;
  std::exception_ptr fault;
  try {
    more = step_->next();
  } catch (...) {
    fault = std::current_exception();
  }
  PartsDone(work_, more, fault);
}

Session::Parts Session::NextParts(int ms) const {
  if (!step_) return {};
  return {work_, [next = step_->next, ms] {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            bool more = false;
            do {
              more = next();
            } while (more && std::chrono::steady_clock::now() < until);
            return more;
          }};
}

void Session::PartsDone(unsigned long long work, bool more, std::exception_ptr fault) {
  if (!step_ || work != work_) return;
  fault_.clear();  // the status line keeps saying why a control was refused meanwhile
  try {
    if (fault) std::rethrow_exception(fault);
  } catch (const std::bad_alloc&) {
    fault_ = kOutOfMemory;
  } catch (const std::exception& what) {
    fault_ = Printable(what.what());
  }
  if (more && fault_.empty()) return;
  // Ended, or failed: a failed part leaves everything as it was.
  const std::unique_ptr<LongStep> step = std::move(step_);
  if (fault_.empty()) Run(step->finish);
  RefreshPanel();
}

void Session::Cancel() {
  if (!step_ || !step_->cancelled) return;
  const std::unique_ptr<LongStep> step = std::move(step_);
  Run([&] { Say(step->cancelled()); });
}

}  // namespace quarnel
