// The session for JavaScript: its calls as they are, and what the page shows as plain values.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>

#include "session/key_map.h"
#include "session/session.h"

namespace {

using emscripten::val;
using quarnel::Session;

val BoxValue(const Session::Box& box) {
  if (box.left < 0) return val::null();
  val out = val::array();
  out.call<void>("push", box.left, box.top, box.right, box.bottom);
  return out;
}

// Everything the page draws after a call, but the raster and the panel's rows.
val View(Session& session) {
  val view = val::object();
  view.set("caption", session.Caption());
  view.set("layer", session.Layer());
  view.set("layerText", session.LayerText());
  view.set("output", session.BoxText());
  val status = val::array();
  for (int row = 0; row < 3; ++row) status.call<void>("push", session.StatusRow(row));
  view.set("status", status);
  view.set("fault", session.TakeFault());
  view.set("preview", BoxValue(session.Preview()));
  view.set("selection", BoxValue(session.Selection()));
  view.set("cursor", val::array());
  view["cursor"].call<void>("push", session.CursorColumn(), session.CursorRow());
  view.set("question", session.Question());
  val answers = val::array();
  for (const std::string& answer : session.Answers()) answers.call<void>("push", answer);
  view.set("answers", answers);
  view.set("unsaved", session.HasUnsaved());
  view.set("download", session.DownloadName());
  val selected = val::array();
  for (const std::size_t line : session.SelectedLines()) selected.call<void>("push", line);
  view.set("selectedLines", selected);
  view.set("types", static_cast<double>(session.TypeCount()));
  view.set("currentType", static_cast<double>(session.CurrentTypeRow()));
  return view;
}

// Rows [first, first + count) of the types table as shown: five texts and whether it is current.
val TypeRows(const Session& session, std::size_t first, std::size_t count) {
  val rows = val::array();
  for (std::size_t row = first; row < first + count && row < session.TypeCount(); ++row) {
    val cells = val::array();
    for (int column = 0; column < quarnel::kTypeColumns; ++column) {
      cells.call<void>("push", session.TypeCell(row, column));
    }
    cells.call<void>("push", session.TypeIsCurrent(row));
    rows.call<void>("push", cells);
  }
  return rows;
}

val LayerRows(const Session& session) {
  val rows = val::array();
  for (std::size_t row = 0; row < session.LayerCount(); ++row) {
    val cells = val::array();
    for (int column = 0; column < quarnel::kLayersColumns; ++column) {
      cells.call<void>("push", session.LayerCell(row, column));
    }
    rows.call<void>("push", cells);
  }
  return rows;
}

val Pixels(const Session& session) {
  const quarnel::Surface& raster = session.Raster();
  return val(
      emscripten::typed_memory_view(static_cast<std::size_t>(raster.Width() * raster.Height() * 4),
                                    reinterpret_cast<const unsigned char*>(raster.Pixels())));
}

// The key map as plain rows, for the page to find a key's action before the browser acts on it.
val KeyMapRows() {
  val rows = val::array();
  for (const quarnel::KeyBinding& binding : quarnel::KeyMap()) {
    val row = val::object();
    row.set("key", binding.key);
    row.set("ctrl", binding.ctrl);
    row.set("shift", binding.shift);
    val focuses = val::array();
    for (const std::string& focus : binding.focuses) focuses.call<void>("push", focus);
    row.set("focuses", focuses);
    row.set("unlessTyped", binding.unless_typed);
    row.set("action", binding.action);
    rows.call<void>("push", row);
  }
  return rows;
}

// The saved template's bytes, copied out once; the session lets them go.
val TakeDownload(Session& session) {
  const quarnel::LargeText text = session.TakeDownload();
  val view(emscripten::typed_memory_view(text.size(),
                                         reinterpret_cast<const unsigned char*>(text.data())));
  return val::global("Uint8Array").new_(view);
}

}  // namespace

EMSCRIPTEN_BINDINGS(quarnel) {
  emscripten::class_<Session>("Session")
      .constructor<>()
      .function("ChooseFile", &Session::ChooseFile)
      .function("NameForChosen", &Session::NameForChosen)
      .function("Go", &Session::Go)
      .function("TypeLayer", &Session::TypeLayer)
      .function("EnterLayer", &Session::EnterLayer)
      .function("StepLayer", &Session::StepLayer)
      .function("NextTile", &Session::NextTile)
      .function("AutoCover", &Session::AutoCover)
      .function("AutoEvery", &Session::AutoEvery)
      .function("Save", &Session::Save)
      .function("Offered", &Session::Offered)
      .function("Press", &Session::Press)
      .function("Release", &Session::Release)
      .function("Hover", &Session::Hover)
      .function("Leave", &Session::Leave)
      .function("GridKey", &Session::GridKey)
      .function("GridFocus", &Session::GridFocus)
      .function("GridBlur", &Session::GridBlur)
      .function("Key", &Session::Key)
      .function("SetShortenRest", &Session::SetShortenRest)
      .function("Escape", &Session::Escape)
      .function("Undo", &Session::Undo)
      .function("Redo", &Session::Redo)
      .function("Delete", &Session::Delete)
      .function("EditOutput", &Session::EditOutput)
      .function("Caret", &Session::Caret)
      .function("SortTypes", &Session::SortTypes)
      .function("ChooseType", &Session::ChooseType)
      .function("SortLayers", &Session::SortLayers)
      .function("ChooseLayer", &Session::ChooseLayer)
      .function("Answer", &Session::Answer);
  emscripten::function("View", &View);
  emscripten::function("TypeRows", &TypeRows);
  emscripten::function("LayerRows", &LayerRows);
  emscripten::function("Pixels", &Pixels);
  emscripten::function("TakeDownload", &TakeDownload);
  emscripten::function("KeyMap", &KeyMapRows);
}
