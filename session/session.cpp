#include "session/session.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "editor/another_template.h"
#include "editor/auto_cover.h"
#include "editor/box_records.h"
#include "editor/covered.h"
#include "editor/grid_view.h"
#include "editor/layers.h"
#include "editor/status.h"
#include "editor/steps.h"
#include "model/box_text.h"
#include "model/fault.h"
#include "session/zoom.h"

namespace quarnel {
namespace {

bool OnGrid(int column, int row) {
  return column >= 0 && column < kColumns && row >= 0 && row < kRows;
}

// The raster point in the middle of a cell's square.
float Middle(int cell) {
  return static_cast<float>(cell * kCellPitch) + kSquareSize / 2.0f;
}

}  // namespace

Session::Session(bool path_box) : path_box_(path_box) {
  RefreshPanel();
}

void Session::SetLayer(int layer) {
  layer = std::clamp(layer, 0, kLayers - 1);
  if (layer == layer_) return;
  layer_ = layer;
  ZscrChange(program_);
}

void Session::SetOutputText(const std::string& text) {
  if (text == output_) return;
  output_ = text;
  ++output_changes_;
  // The program's change puts the box's caret at its end, on no record.
  records_.Clear();
  OutputChanged(program_);
}

void Session::AppendOutputText(std::string_view text) {
  if (text.empty()) return;
  output_.append(text);
  ++output_changes_;
  records_.Clear();
  OutputChanged(program_);
}

void Session::TakeOutputText(std::string text) {
  if (text == output_) return;
  output_ = std::move(text);
  ++output_changes_;
  records_.Clear();
  OutputChanged(program_);
}

void Session::CutOutputText(std::size_t size) {
  if (size >= output_.size()) return;
  output_.resize(size);
  // Undoing a million records need not keep their room.
  if (output_.capacity() > 4 * (size + 4096)) output_.shrink_to_fit();
  ++output_changes_;
  records_.Clear();
  OutputChanged(program_);
}

void Session::Run(const std::function<void()>& action) {
  if (RefusedWhileWorking()) return;
  message_.clear();
  fault_.clear();
  try {
    action();
  } catch (const std::bad_alloc&) {
    fault_ = kOutOfMemory;
  } catch (const std::exception& fault) {
    fault_ = Printable(fault.what());
  }
  RefreshPanel();
}

void Session::Ask(std::string question, std::vector<std::string> answers,
                  std::function<void(int)> then) {
  question_ = std::move(question);
  answers_ = std::move(answers);
  then_ = std::move(then);
}

void Session::Answer(int answer) {
  if (!then_) return;
  auto then = std::move(then_);
  then_ = nullptr;
  question_.clear();
  answers_.clear();
  Run([&] { then(answer); });
}

std::string Session::NameForChosen(const std::string& name, const std::string& identity) {
  std::string base = name.empty() ? "template.tmp" : name;
  std::replace(base.begin(), base.end(), '/', '_');
  std::replace(base.begin(), base.end(), '\\', '_');
  const std::size_t dot = base.rfind('.');
  std::string chosen = base;
  for (int n = 2;; ++n) {
    const auto known = chosen_.find(chosen);
    if (known == chosen_.end() || known->second == identity) break;
    const std::string number = " (" + std::to_string(n) + ")";
    chosen = dot != std::string::npos && dot > 0 ? base.substr(0, dot) + number + base.substr(dot)
                                                 : base + number;
  }
  chosen_[chosen] = identity;
  return chosen;
}

void Session::ChooseFile(const std::string& path) {
  path_ = path;
}

void Session::StartTiles() {
  Run([this] { quarnel::StartTiles(program_); });
}

void Session::Go() {
  if (!RecordsMadeForAnother(program_, path_, output_)) return StartTiles();
  Run([this] {
    // A template go refuses is refused before the question: nothing is asked in vain.
    RequireStartable(path_);
    Ask(AnotherTemplateQuestion(program_, path_, HasUnsaved()),
        {std::begin(kAnotherTemplateAnswers), std::end(kAnotherTemplateAnswers)},
        [this](int answer) {
          const AnotherTemplate choice = AnotherTemplateAnswer(answer);
          if (choice == AnotherTemplate::kStay) return Say(StayedWith(program_));
          quarnel::StartTiles(program_);
          // Only once the new run stands: a refused template leaves the box and its history.
          if (choice == AnotherTemplate::kAfresh) {
            history_.Clear();
            SetOutputText("");
          }
        });
  });
}

void Session::TypeLayer(const std::string& text) {
  layer_text_ = text;
}

void Session::EnterLayer() {
  Run([this] { ShowTypedLayer(program_); });
}

void Session::StepLayer(int delta) {
  const int wanted = layer_ + delta;
  Run([&] {
    if (wanted < 0 || wanted >= kLayers) return CheckLayerBox(program_);
    SetLayer(wanted);
  });
}

void Session::MoveLayer(int layer) {
  Run([&] { SetLayer(layer); });
}

void Session::NextTile() {
  Run([this] {
    DoNextTile(program_);
    SetLayer(0);
  });
}

void Session::AutoCover() {
  Run([this] {
    AutoResult result = quarnel::AutoCover(program_);
    Say(AutoStatus(program_, result));
    if (result.added) history_.Add(std::move(*result.added));
  });
}

void Session::TakePress(int button, bool had_corner, PressResult result) {
  Say(PressStatus(program_, button, had_corner, result));
  if (result.added) {
    history_.Add(std::move(*result.added));
  }
}

void Session::Press(int button, double x, double y, bool shift, bool ctrl) {
  const int column = GetGridX(static_cast<float>(x));
  const int row = GetGridY(static_cast<float>(y));
  // The keyboard goes on from the cell last pressed.
  if (OnGrid(column, row)) {
    cursor_column_ = column;
    cursor_row_ = row;
  }
  if (button == kLeftButton && ctrl) return SelectRecordsAt(x, y);
  Run([&] {
    const bool had_corner = program_.has_first_corner;
    PressResult result =
        PictureMouseDown(program_, button, static_cast<float>(x), static_cast<float>(y), shift);
    Point(x, y);
    TakePress(button, had_corner, std::move(result));
  });
}

void Session::Release(double x, double y, bool shift) {
  PressResult result =
      PictureMouseUp(program_, static_cast<float>(x), static_cast<float>(y), shift);
  if (!result.added && result.refused.empty()) return;  // a click: its press said what it did
  Run([&] {
    TakePress(kLeftButton, true, std::move(result));
    Point(x, y);
  });
}

void Session::Hover(double x, double y) {
  pointer_on_grid_ = true;
  Point(x, y);
}

void Session::Point(double x, double y) {
  const int column = x < 0 ? -1 : GetGridX(static_cast<float>(x));
  const int row = y < 0 ? -1 : GetGridY(static_cast<float>(y));
  if (!OnGrid(column, row)) return Leave();
  hover_column_ = column;
  hover_row_ = row;
  // The keyboard's cell follows the pointer, so that Space and Enter act where the status line
  // and the outline say, whichever of the two moved last.
  cursor_column_ = column;
  cursor_row_ = row;
}

void Session::Leave() {
  pointer_on_grid_ = false;
  hover_column_ = hover_row_ = -1;
}

void Session::GridBlur() {
  if (!pointer_on_grid_) hover_column_ = hover_row_ = -1;
}

void Session::Key(const std::string& action, const std::string& key, bool shift) {
  if (action == "Save") return Save(shorten_rest_);
  if (action == "Undo") return Undo();
  if (action == "Redo") return Redo();
  if (action == "StepUp") return StepLayer(1);
  if (action == "StepDown") return StepLayer(-1);
  if (action == "Delete") return Delete();
  if (action == "Escape") return Escape();
  if (action == "Grid") GridKey(key, shift);
}

bool Session::GridKey(const std::string& key, bool shift) {
  const auto move = [this](int columns, int rows) {
    cursor_column_ = std::clamp(cursor_column_ + columns, 0, kColumns - 1);
    cursor_row_ = std::clamp(cursor_row_ + rows, 0, kRows - 1);
    Point(Middle(cursor_column_), Middle(cursor_row_));
    return true;
  };
  if (key == "ArrowLeft") return move(-1, 0);
  if (key == "ArrowRight") return move(1, 0);
  if (key == "ArrowUp") return move(0, -1);
  if (key == "ArrowDown") return move(0, 1);
  if (key == " " || key == "Enter") {
    Press(key == " " ? kLeftButton : kRightButton, Middle(cursor_column_), Middle(cursor_row_),
          key == "Enter" && shift, false);
    return true;
  }
  if (key == "Escape") {
    Escape();
    return true;
  }
  return false;
}

void Session::GridFocus() {
  Point(Middle(cursor_column_), Middle(cursor_row_));
}

void Session::Escape() {
  Run([this] { Say(DropCornerStatus(DropFirstCorner(program_))); });
}

void Session::Undo() {
  Run([this] { Say(history_.Undo()); });
}

void Session::Redo() {
  Run([this] { Say(history_.Redo()); });
}

void Session::SelectRecordsAt(double x, double y) {
  Run([&] {
    const std::string said = records_.SelectAt(program_, GetGridX(static_cast<float>(x)),
                                               GetGridY(static_cast<float>(y)));
    selection_ = {};
    if (!records_.Lines().empty()) Caret(records_.Lines().front());  // outlines the first
    message_.clear();
    Say(said);
  });
}

void Session::Caret(std::size_t line) {
  records_.SetCaret(program_, line);
  selection_ = {};
  const auto record = RecordOnLine(output_, line);
  if (!record) return;
  // A record of another type or layer shows that type or layer first.
  Run([&] {
    if (record->key != program_.curtype && program_.types.RowOf(record->key) >= 0) {
      ShowType(program_, static_cast<std::size_t>(program_.types.RowOf(record->key)));
    }
    if (record->key == program_.curtype && record->z != layer_) ShowLayer(program_, record->z);
  });
  if (record->key == program_.curtype) {
    selection_ = {record->cells.left, record->cells.top, record->cells.right, record->cells.bottom};
    selection_output_ = output_changes_;
  }
}

void Session::Delete() {
  Run([this] {
    selection_ = {};
    Say(records_.Delete(program_, history_));
  });
}

void Session::EditOutput(const std::string& text) {
  // The box keeps LF; records end in CR LF, as templates want.
  std::string with_cr_lf;
  with_cr_lf.reserve(text.size() + text.size() / 16);
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r')) with_cr_lf += '\r';
    with_cr_lf += text[at];
  }
  // Typing keeps the caret, and the selection, where the box has them.
  const RecordSelection records = records_;
  Run([&] { SetOutputText(FromBoxText(with_cr_lf)); });
  records_ = records;
}

std::string Session::BoxText() const {
  return ToBoxText(output_);
}

std::string Session::StatusRow(int row) const {
  if (row == 0) {
    std::string where = RunStatus(program_, path_box_);
    const std::string layer = LayerStatus(program_);
    if (!layer.empty()) where += "  |  " + layer;
    return Printable(where);
  }
  if (row == 1) {
    // Made afresh each time: an undo or an edit of the output box changes what the cell under a
    // pointer that has not moved is.
    // Before a run there is no cell to name.
    return hover_column_ >= 0 && !program_.curtype.empty()
               ? Printable(PointerStatus(program_, hover_column_, hover_row_))
               : std::string();
  }
  return Printable(message_);
}

std::string Session::PointedCellState() const {
  if (hover_column_ < 0 || program_.curtype.empty()) return {};
  return Printable(CellStateStatus(program_, hover_column_, hover_row_));
}

void Session::Zoomed(int zoom) {
  Say(ZoomStatus(zoom));
}

Session::Box Session::Preview() const {
  if (hover_column_ < 0) return {};
  const auto box = PendingRectangle(program_, hover_column_, hover_row_);
  if (!box) return {};
  return {box->left, box->top, box->right, box->bottom};
}

}  // namespace quarnel
