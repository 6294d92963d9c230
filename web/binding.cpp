// The session for JavaScript: its calls as they are, and what the page shows as plain values.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "editor/status.h"
#include "session/key_map.h"
#include "session/session.h"
#include "session/zoom.h"

namespace {

using emscripten::val;
using quarnel::Session;

// A C++ exception reaches JavaScript as an Error with its message: built with -fwasm-exceptions it
// would arrive as an opaque WebAssembly.Exception that prints as "[object WebAssembly.Exception]".
[[noreturn]] void ThrowError(const char* what) {
  val::global("Error").new_(std::string(what)).throw_();
}

// Runs a call of the core, turning what it throws into an Error for JavaScript.
template <typename Call>
auto Guard(const Call& call) -> decltype(call()) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    ThrowError(quarnel::kOutOfMemory);
  } catch (const std::exception& fault) {
    ThrowError(fault.what());
  } catch (...) {
    ThrowError("an unknown fault in the core");
  }
}

template <auto Function>
struct Guarded;
template <typename Result, typename... Args, Result (*Function)(Args...)>
struct Guarded<Function> {
  static Result Call(Args... args) {
    return Guard([&]() -> Result { return Function(std::forward<Args>(args)...); });
  }
};
template <typename Result, typename... Args, Result (Session::*Method)(Args...)>
struct Guarded<Method> {
  static Result Call(Session& session, Args... args) {
    return Guard([&]() -> Result { return (session.*Method)(std::forward<Args>(args)...); });
  }
};

val BoxValue(const Session::Box& box) {
  if (box.left < 0) return val::null();
  val out = val::array();
  out.call<void>("push", box.left, box.top, box.right, box.bottom);
  return out;
}

// How far long work has got.
val Work(const Session& session) {
  if (!session.Working()) return val::null();
  const Session::Progress progress = session.WorkProgress();
  val work = val::object();
  work.set("what", progress.what);
  work.set("done", static_cast<double>(progress.done));
  work.set("total", static_cast<double>(progress.total));
  work.set("said", progress.said);
  return work;
}

// Everything the page draws after a call, but the raster and the panel's rows. The output box's
// text only when it changed since the page last showed it (`shown`, a count of OutputChanges):
// tens of thousands of records would otherwise cross to the page with every pointer move.
val View(Session& session, double shown) {
  val view = val::object();
  view.set("caption", session.Caption());
  view.set("layer", session.Layer());
  view.set("layerText", session.LayerText());
  if (static_cast<double>(session.OutputChanges()) != shown) {
    view.set("output", session.BoxText());
    view.set("outputChanges", static_cast<double>(session.OutputChanges()));
  }
  if (session.Working()) view.set("work", Work(session));
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
    for (int column = 0; column < Session::kTypeColumnCount; ++column) {
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

// The panel's headings, the same in every front end.
val Headings() {
  val types = val::array();
  for (int column = 0; column < Session::kTypeColumnCount; ++column)
    types.call<void>("push", std::string(Session::TypeHeading(column)));
  val layers = val::array();
  for (int column = 0; column < Session::kLayerColumnCount; ++column)
    layers.call<void>("push", std::string(Session::LayerHeading(column)));
  val headings = val::object();
  headings.set("types", types);
  headings.set("layers", layers);
  return headings;
}

// The saved template's bytes, copied out once; the session lets them go.
val TakeDownload(Session& session) {
  const quarnel::LargeText text = session.TakeDownload();
  val view(emscripten::typed_memory_view(text.size(),
                                         reinterpret_cast<const unsigned char*>(text.data())));
  return val::global("Uint8Array").new_(view);
}

// What the page says of a fault that reached it: out of memory, or another in its own words.
std::string FaultText(bool out_of_memory, const std::string& what) {
  return out_of_memory ? quarnel::kOutOfMemory : quarnel::UnforeseenFault(what);
}

// The zoom a step asks for, about the pointer, with the status line's word on it.
val ZoomAbout(int zoom, int steps, double pointer_x, double pointer_y, double scroll_x,
              double scroll_y) {
  const quarnel::Zoomed zoomed =
      quarnel::ZoomAbout(zoom, steps, pointer_x, pointer_y, scroll_x, scroll_y);
  val out = val::object();
  out.set("zoom", zoomed.zoom);
  out.set("scrollX", zoomed.scroll_x);
  out.set("scrollY", zoomed.scroll_y);
  out.set("status", quarnel::ZoomStatus(zoomed.zoom));
  return out;
}

}  // namespace

EMSCRIPTEN_BINDINGS(quarnel) {
  emscripten::class_<Session>("Session")
      .constructor<>()
      .function("ChooseFile", &Guarded<&Session::ChooseFile>::Call)
      .function("NameForChosen", &Guarded<&Session::NameForChosen>::Call)
      .function("Go", &Guarded<&Session::Go>::Call)
      .function("TypeLayer", &Guarded<&Session::TypeLayer>::Call)
      .function("EnterLayer", &Guarded<&Session::EnterLayer>::Call)
      .function("StepLayer", &Guarded<&Session::StepLayer>::Call)
      .function("NextTile", &Guarded<&Session::NextTile>::Call)
      .function("AutoCover", &Guarded<&Session::AutoCover>::Call)
      .function("AutoEvery", &Guarded<&Session::AutoEvery>::Call)
      .function("Save", &Guarded<&Session::Save>::Call)
      .function("Offered", &Guarded<&Session::Offered>::Call)
      .function("Press", &Guarded<&Session::Press>::Call)
      .function("Release", &Guarded<&Session::Release>::Call)
      .function("Hover", &Guarded<&Session::Hover>::Call)
      .function("Leave", &Guarded<&Session::Leave>::Call)
      .function("GridKey", &Guarded<&Session::GridKey>::Call)
      .function("GridFocus", &Guarded<&Session::GridFocus>::Call)
      .function("GridBlur", &Guarded<&Session::GridBlur>::Call)
      .function("Key", &Guarded<&Session::Key>::Call)
      .function("SetShortenRest", &Guarded<&Session::SetShortenRest>::Call)
      .function("Escape", &Guarded<&Session::Escape>::Call)
      .function("Undo", &Guarded<&Session::Undo>::Call)
      .function("Redo", &Guarded<&Session::Redo>::Call)
      .function("Delete", &Guarded<&Session::Delete>::Call)
      .function("EditOutput", &Guarded<&Session::EditOutput>::Call)
      .function("Caret", &Guarded<&Session::Caret>::Call)
      .function("SortTypes",
                &Guarded<static_cast<void (Session::*)(int)>(&Session::SortTypes)>::Call)
      .function("ChooseType", &Guarded<&Session::ChooseType>::Call)
      .function("SortLayers",
                &Guarded<static_cast<void (Session::*)(int)>(&Session::SortLayers)>::Call)
      .function("ChooseLayer", &Guarded<&Session::ChooseLayer>::Call)
      .function("Answer", &Guarded<&Session::Answer>::Call)
      .function("Working", &Session::Working)
      .function("Continue", &Guarded<&Session::Continue>::Call)
      .function("Cancel", &Guarded<&Session::Cancel>::Call);
  emscripten::function("View", &Guarded<&View>::Call);
  emscripten::function("Work", &Guarded<&Work>::Call);
  emscripten::function("TypeRows", &Guarded<&TypeRows>::Call);
  emscripten::function("LayerRows", &Guarded<&LayerRows>::Call);
  emscripten::function("Pixels", &Guarded<&Pixels>::Call);
  emscripten::function("TakeDownload", &Guarded<&TakeDownload>::Call);
  emscripten::function("KeyMap", &Guarded<&KeyMapRows>::Call);
  emscripten::function("Headings", &Guarded<&Headings>::Call);
  emscripten::function("ZoomAbout", &Guarded<&ZoomAbout>::Call);
  emscripten::function("FaultText", &FaultText);
}
