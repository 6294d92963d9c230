// The session's Save: the bytes to write and their checks; where they go is the front end's.
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "editor/save_checks.h"
#include "editor/status.h"
#include "model/fault.h"
#include "model/file_stamp.h"
#include "model/platform.h"
#include "model/template_file.h"
#include "session/session.h"
#include "shorten/apply.h"
#include "shorten/apply_to_template.h"
#include "shorten/short_name.h"

namespace quarnel {
namespace {

constexpr const char* kRecordsName = "the output box";

// The last part of a path, as UTF-8 on every system.
std::string FileName(const std::string& path) {
  const std::u8string name = platform::PathOf(path).filename().u8string();
  return {name.begin(), name.end()};
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(platform::PathOf(a), platform::PathOf(b), error);
}

}  // namespace

bool Session::HasUnsaved() const {
  return output_ != kept_ && output_.find("TILEW") != std::string::npos;
}

void Session::Offer(std::string records, AppliedTemplate result) {
  download_ = std::move(result.text);
  download_name_ = ShortName(FileName(program_.read_path));
  offered_records_ = std::move(records);
  offered_ = std::move(result);
}

void Session::Offered(bool written, const std::string& name, const std::string& why) {
  Run([&] { Settle(written, name, why); });
}

void Session::Settle(bool written, const std::string& name, const std::string& why) {
  if (!offered_) return;
  const AppliedTemplate result = std::move(*offered_);
  offered_.reset();
  download_name_.clear();
  download_ = {};
  const bool closing = std::exchange(close_after_save_, false);
  if (!why.empty()) throw quarnel::Fault({name}, CannotBeWritten(why));
  if (name.empty()) return Say(NothingSaved(SaveStopped::kCancelled));
  const std::string said = SavedSummary(name, result);
  if (!written) {
    // Only the browser knows whether the download happened: the records stay unsaved.
    const std::string details = said.substr(("saved " + Printable(name) + ": ").size());
    return Say("offered as a download: " + Printable(name) + " (" + details + ")");
  }
  if (output_ == offered_records_) kept_ = std::move(offered_records_);
  // Written over the template it read, it holds the tiles read: it counts as read again.
  if (SameFile(name, program_.read_path)) program_.read_stamp = StampOf(program_.read_path);
  ended_ = closing;
  Say(said);
}

void Session::WriteTo(const std::string& target) {
  Run([&] {
    if (!offered_) return;
    std::error_code error;
    if (!std::filesystem::exists(platform::PathOf(target), error)) return Write(target);
    download_name_.clear();  // on offer still, until the question's answer
    Ask(OverwriteQuestion(target, SameFile(target, program_.read_path)),
        {std::begin(kOverwriteAnswers), std::end(kOverwriteAnswers)}, [this, target](int answer) {
          if (answer == 0) return Write(target);
          offered_.reset();
          download_ = {};
          close_after_save_ = false;
          Say(NothingSaved(SaveStopped::kTargetKept, target));
        });
  });
}

void Session::Write(const std::string& target) {
  try {
    RequireSavable(program_);
  } catch (...) {
    Settle(false, "", "");  // nothing is on offer any more
    throw;
  }
  // Writing and flushing a large template to the disk takes a while: the save's last part, which
  // Cancel cannot stop once begun (the file is replaced whole or not at all, and said so).
  download_name_.clear();
  auto bytes = std::make_shared<LargeText>(std::move(download_));
  auto why = std::make_shared<std::string>();
  StartWork(LongStep{kSaveWork,
                     [bytes, why, target] {
                       *why = platform::ReplaceFile(target, {bytes->data(), bytes->size()});
                       return false;
                     },
                     [] { return Progress{}; },
                     [this, target, why] { Settle(why->empty(), target, *why); }, nullptr});
}

std::string Session::SuggestedPath() const {
  return program_.read_path.empty() ? std::string() : ShortName(program_.read_path);
}

void Session::Close() {
  if (RefusedWhileWorking()) return;  // Cancel first: the work's window stays
  ended_ = false;                     // a window kept open once may be closed again
  if (!HasUnsaved()) {
    ended_ = true;
    return;
  }
  const std::string suggested =
      program_.read_path.empty() ? std::string() : FileName(ShortName(program_.read_path));
  Ask(CloseQuestion(suggested), {"Save...", "Discard", "Cancel"}, [this](int answer) {
    if (answer == 1) ended_ = true;
    if (answer != 0) return;
    Save(shorten_rest_);
    close_after_save_ = true;  // ends once the save is written
  });
}

void Session::Save(bool shorten_rest) {
  close_after_save_ = false;  // a save of the user's own closes nothing
  Run([this, shorten_rest] {
    const std::string path = program_.read_path;
    RequireSavable(program_);
    // Checking, reading and applying a large template take seconds: a part each.
    struct Saving {
      std::string records;
      LargeText text;
      std::optional<AppliedTemplate> result;
      std::atomic<int> done = 0;  // read by the progress while a thread does the parts
    };
    auto saving = std::make_shared<Saving>();
    saving->records = output_;
    StartWork(LongStep{kSaveWork,
                       [saving, path, shorten_rest] {
                         Saving& s = *saving;
                         if (s.done == 0) CheckRecords(kRecordsName, s.records);
                         if (s.done == 1) s.text = TemplateFile::ReadAll(path);
                         if (s.done == 2) {
                           s.result = ApplyToTemplate(
                               kRecordsName, s.records, path,
                               std::string_view(s.text.data(), s.text.size()), true, shorten_rest);
                         }
                         return ++s.done < 3;
                       },
                       [saving] {
                         return Progress{{}, saving->done, 3, {}};
                       },
                       [this, saving, path] {
                         Saving& s = *saving;
                         if (s.result->applied.new_cells == 0)
                           return Offer(std::move(s.records), std::move(*s.result));
                         auto kept = std::make_shared<AppliedTemplate>(std::move(*s.result));
                         Ask(NewCellsQuestion(kRecordsName, s.records, path,
                                              std::string_view(s.text.data(), s.text.size()),
                                              kept->applied.new_cells),
                             {std::begin(kNewCellsAnswers), std::end(kNewCellsAnswers)},
                             [this, kept, records = s.records](int answer) {
                               if (answer != 0) return Say(NothingSaved(SaveStopped::kNoNewCells));
                               Offer(records, std::move(*kept));
                             });
                       },
                       [] { return NothingSaved(SaveStopped::kCancelled); }});
  });
}

void Session::ShortenOffered() {
  shorten_rest_ = true;
  Run([this] {
    if (!offered_ || offered_->shortened) return;
    struct Shortening {
      std::string records;
      LargeText text;
      AppliedTemplate result;
      std::atomic<int> done = 0;  // read by the progress while a thread does the parts
    };
    auto shortening = std::make_shared<Shortening>();
    shortening->records = std::move(offered_records_);
    shortening->result = std::move(*offered_);
    shortening->result.text = std::move(download_);
    offered_.reset();
    download_name_.clear();
    StartWork(LongStep{kSaveWork,
                       [shortening, path = program_.read_path] {
                         Shortening& s = *shortening;
                         if (s.done == 0) s.text = TemplateFile::ReadAll(path);
                         if (s.done == 1)
                           ShortenRest(s.result, path,
                                       std::string_view(s.text.data(), s.text.size()));
                         return ++s.done < 2;
                       },
                       [shortening] {
                         return Progress{{}, shortening->done, 2, {}};
                       },
                       [this, shortening] {
                         Offer(std::move(shortening->records), std::move(shortening->result));
                       },
                       [] { return NothingSaved(SaveStopped::kCancelled); }});
  });
}

LargeText Session::TakeDownload() {
  download_name_.clear();
  return std::move(download_);
}

}  // namespace quarnel
