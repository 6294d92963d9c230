#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "editor/marking.h"
#include "editor/panel.h"
#include "editor/program.h"
#include "editor/surface.h"
#include "editor/window_values.h"
#include "model/huge_pages.h"
#include "session/record_selection.h"
#include "session/undo_history.h"
#include "shorten/apply_to_template.h"

namespace quarnel {

// The window for a page: its values as plain strings and numbers, its controls as one call each,
// and everything the page shows read back from here. The page passes events in and draws what
// comes out; what a press does, what a record or a status row says and what a layer shows are
// decided here and below, never by the page. A fault in any call is kept for the page to show,
// and the session carries on with nothing lost.
class Session final : public WindowValues {
 public:
  // `path_box`: the front end has a box to type a template's path into.
  explicit Session(bool path_box = false);

  // Window values.
  std::string TemplatePath() const override { return path_; }
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  int Layer() const override { return layer_; }
  void SetLayer(int layer) override;
  std::string LayerText() const override { return layer_text_; }
  void SetLayerText(const std::string& text) override { layer_text_ = text; }
  const std::string& OutputText() const override { return output_; }
  void SetOutputText(const std::string& text) override;
  void AppendOutputText(std::string_view text) override;
  void TakeOutputText(std::string text) override;
  void CutOutputText(std::size_t size) override;
  Surface& Picture() override { return surface_; }

  // The controls, in the window's order.
  void ChooseFile(const std::string& path);  // "..." or a drop: the template's path
  // The name a page stores a chosen file under, from its own name and what tells files apart
  // (size and time): two different files of one name are two templates, "castle.tmp" and
  // "castle (2).tmp", so that records made for one are never taken for the other's.
  std::string NameForChosen(const std::string& name, const std::string& identity);
  void Go();
  void TypeLayer(const std::string& text);  // the layer box's text as typed
  void EnterLayer();                        // Enter in the layer box
  void StepLayer(int delta);                // the spinner, Page Up and Down, the wheel
  void MoveLayer(int layer);                // a spinner moved to a layer: the nearest with cells
  void NextTile();
  void AutoCover();
  // Auto on every layer of the shown type, or on every type of the template.
  void AutoEvery(bool every_type);
  void Save(bool shorten_rest);
  // The save on offer, made again with the rest shortened (a save dialog's checkbox was ticked),
  // from the records it applied already; offered again once made.
  void ShortenOffered();
  // The checkbox "shorten the rest automatically", which Save's key uses.
  void SetShortenRest(bool shorten_rest) { shorten_rest_ = shorten_rest; }
  // How the page's offer of the last save ended: `written` to the file `name` the user chose; not
  // written, for `why` (the browser's words), or cancelled when there is no name; otherwise
  // offered as a download named `name`, which the browser never confirms.
  void Offered(bool written, const std::string& name, const std::string& why);
  // The grid, in raster pixels; button 1 left, 2 right, 0 any other.
  void Press(int button, double x, double y, bool shift, bool ctrl);
  void Release(double x, double y, bool shift);
  void Hover(double x, double y);  // the pointer over the grid
  void Leave();                    // the pointer off the grid
  // Keys on the grid: "ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", " ", "Enter", "Escape".
  // False for a key the grid leaves to the page.
  bool GridKey(const std::string& key, bool shift);
  void GridFocus();  // reached from the keyboard: the cursor's cell is where the user is
  // The keyboard left the grid: its cell is no longer where the user is, unless the pointer is.
  void GridBlur();
  // A key's action as KeyAction gives it (key_map.h), with the key for the grid's.
  void Key(const std::string& action, const std::string& key, bool shift);
  // Keys outside the text boxes.
  void Escape();
  void Undo();
  void Redo();
  // Removes the records a Ctrl + press selected, or else the record on the output box's caret.
  void Delete();
  // The output box: typed into (LF or CR LF line ends), and its caret moved to line `line`.
  void EditOutput(const std::string& text);
  void Caret(std::size_t line);
  // The types panel: a heading pressed (sorts by it, again the other way), a row chosen.
  void SortTypes(int column);
  void SortTypes(int column, bool ascending);  // for a list that keeps its own sort direction
  void ChooseType(std::size_t shown_row);
  void SortLayers(int column);
  void SortLayers(int column, bool ascending);
  void ChooseLayer(std::size_t shown_row);
  // A question's answer, by its index among Answers().
  void Answer(int answer);
  // The window is to close: at once when no record is unsaved, otherwise after the close
  // question's answer (and, for "Save...", once the save is written). Ended() says when.
  void Close();
  bool Ended() const { return ended_; }

  // Long work: Auto on every type and Save run a part at a time. While one runs, the front end
  // calls Continue until Working() is false, shows WorkProgress() and may Cancel; every other
  // control is refused meanwhile, and says so, rather than acting on what the work is changing.
  struct Progress {
    std::string what;
    long long done = 0;
    long long total = 0;  // 0: how far is not known
    std::string said;     // both, as a progress bar's label says them
    bool cancellable = true;
  };
  bool Working() const { return step_ != nullptr; }
  Progress WorkProgress() const;
  void Continue();  // does the next part
  // Ends the work, leaving everything as it was before it; nothing while it cannot be stopped.
  void Cancel();
  // A front end with threads may run the parts on a thread of its own, so that no long part stops
  // it answering: NextParts gives them as one call that touches only the work's own data, never
  // the session, and runs parts for about `ms` milliseconds (at least one). Run it there; then,
  // back on the front end's thread, give PartsDone what it returned (true: parts are left) or the
  // exception it threw. A result for work that has ended meanwhile (Cancel) is dropped.
  struct Parts {
    unsigned long long work = 0;
    std::function<bool()> run;
  };
  Parts NextParts(int ms) const;
  void PartsDone(unsigned long long work, bool more, std::exception_ptr fault);

  // What the page shows.
  const Surface& Raster() const { return surface_; }
  // Counts the output box's changes: a front end shows the text again only when it changed.
  unsigned long long OutputChanges() const { return output_changes_; }
  // The output box's text as its control shows it: bytes that are not UTF-8 as \xFF escapes,
  // which EditOutput reads back.
  std::string BoxText() const;
  std::string StatusRow(int row) const;  // 0..2
  // What the square under the pointer, or the keyboard's cell, shows; empty off the grid.
  std::string PointedCellState() const;
  // The grid was zoomed: the status line says how far.
  void Zoomed(int zoom);
  const Program& program() const { return program_; }
  // The fault of the last call, given once: the page shows it in a box of its own.
  std::string TakeFault() { return std::exchange(fault_, std::string()); }
  struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;  // cells; left < 0: none
  };
  Box Preview() const;
  // The caret's record's cells, until the box changes: a record typed away takes its outline along.
  Box Selection() const { return selection_output_ == output_changes_ ? selection_ : Box{}; }
  int CursorColumn() const { return cursor_column_; }
  int CursorRow() const { return cursor_row_; }
  std::string Question() const { return question_; }
  const std::vector<std::string>& Answers() const { return answers_; }
  bool HasUnsaved() const;
  // The file a save offers, taken once; empty name when there is none.
  std::string DownloadName() const { return download_name_; }
  // Where a front end with the system's save dialog suggests the offered file: the template's
  // own folder, its short name.
  std::string SuggestedPath() const;
  LargeText TakeDownload();
  // For a front end that writes files itself: writes the save on offer to `target`, chosen in
  // its save dialog; asks first when a file is there, checks the template again (the dialog took
  // time) and replaces the file whole or not at all.
  void WriteTo(const std::string& target);
  // The panel's headings, by column, and how many columns each list has.
  static const char* TypeHeading(int column);
  static const char* LayerHeading(int column);
  static constexpr int kTypeColumnCount = 6;
  static constexpr int kLayerColumnCount = 3;
  std::size_t TypeCount() const { return type_order_.size(); }
  std::string TypeCell(std::size_t shown_row, int column) const;
  bool TypeIsCurrent(std::size_t shown_row) const;
  // The shown row of the current type, where a list's highlight belongs after a sort; -1: none.
  long long CurrentTypeRow() const;
  std::size_t LayerCount() const { return layer_rows_.size(); }
  int LayerCell(std::size_t shown_row, int column) const;
  // The lines of the output box's records selected by a Ctrl + press, and the line to scroll to.
  const std::vector<std::size_t>& SelectedLines() const { return records_.Lines(); }

 private:
  // Runs one piece of logic: keeps a fault it throws, then brings the panel up to date.
  void Run(const std::function<void()>& action);
  void TakePress(int button, bool had_corner, PressResult result);
  void Say(const std::string& message) { message_ = message; }
  void SelectRecordsAt(double x, double y);
  // The cell under a point, for the status line and the outline, from the pointer or the keyboard.
  void Point(double x, double y);
  void RefreshPanel();
  void Ask(std::string question, std::vector<std::string> answers, std::function<void(int)> then);
  void StartTiles();
  void Offer(std::string records, AppliedTemplate result);
  // How the save on offer ended; see Offered.
  void Settle(bool written, const std::string& name, const std::string& why);
  void Write(const std::string& target);
  // Says why a control does nothing while long work runs; false when none runs.
  bool RefusedWhileWorking();

  struct LongStep {
    std::string what;
    std::function<bool()> next;              // does a part; false once none is left
    std::function<Progress()> progress;      // parts done of all
    std::function<void()> finish;            // takes the result
    std::function<std::string()> cancelled;  // what Cancel says; none: it cannot be stopped
  };
  void StartWork(LongStep step);
  std::unique_ptr<LongStep> step_;
  unsigned long long work_ = 0;  // counts the long works started
  unsigned long long output_changes_ = 0;

  Surface surface_;
  std::string path_;
  std::string caption_ = "Quarnel";
  int layer_ = 0;
  std::string layer_text_ = "0";
  std::string output_;
  Program program_{*this};
  UndoHistory history_{program_};

  std::string fault_;
  std::string message_;
  int hover_column_ = -1, hover_row_ = -1;
  int cursor_column_ = 0, cursor_row_ = 0;
  bool pointer_on_grid_ = false;
  bool shorten_rest_ = false;
  bool path_box_ = false;
  Box selection_;
  unsigned long long selection_output_ = 0;  // the box's change the selection was read from
  RecordSelection records_;                  // what Delete takes
  std::string kept_;                         // the output text last saved
  std::string question_;
  std::vector<std::string> answers_;
  std::function<void(int)> then_;
  std::string download_name_;
  bool close_after_save_ = false;
  bool ended_ = false;
  std::map<std::string, std::string> chosen_;  // each name NameForChosen gave, to its file
  LargeText download_;
  // The save on offer until the page says how it ended: its records and its summary.
  std::string offered_records_;
  std::optional<AppliedTemplate> offered_;
  long long panel_runs_ = -1;
  std::vector<std::uint32_t> type_order_;
  int type_sort_ = -1;
  bool type_ascending_ = true;
  std::vector<LayerRow> layer_rows_;
  int layer_sort_ = 0;
  bool layer_ascending_ = true;
};

}  // namespace quarnel
