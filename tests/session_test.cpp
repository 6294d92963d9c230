// The controller every front end drives, replayed natively: presses, keys, questions and saving,
// as a window or a page passes them in.
#include "session/session.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/grid_view.h"
#include "editor/marking.h"
#include "model/platform.h"
#include "model/template_file.h"
#include "session/key_map.h"
#include "session/zoom.h"
#include "shorten/apply_to_template.h"
#include "shorten/short_name.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Template;
using testing::TempTemplate;

// The raster point in the middle of a cell's square.
double At(int cell) {
  return cell * kCellPitch + 4;
}

class SessionTest : public ::testing::Test {
 protected:
  // Chooses and goes; the fault of that go, if any.
  std::string Go(const std::string& path) {
    session_.ChooseFile(path);
    session_.Go();
    return session_.TakeFault();
  }
  void Mark(int x1, int y1, int x2, int y2, bool shift = false) {
    session_.Press(kLeftButton, At(x1), At(y1), false, false);
    session_.Press(kRightButton, At(x2), At(y2), shift, false);
  }
  // Long work to its end, as a front end's loop does it.
  void Finish() {
    while (session_.Working()) session_.Continue();
  }
  void Save(bool shorten_rest) {
    session_.Save(shorten_rest);
    Finish();
  }
  void CtrlPress(int x, int y) { session_.Press(kLeftButton, At(x), At(y), false, true); }
  Colour ColourAt(int x, int y) const {
    return session_.Raster().PointColour(x * kCellPitch, y * kCellPitch);
  }
  bool Says(const std::string& text) const {
    return session_.StatusRow(2).find(text) != std::string::npos;
  }

  // Type 7 3: a row of three on layer 0, one tile on layer 2; type 8 1 on layer 0.
  TempTemplate level_{Template({"7 3 1 1 0", "7 3 2 1 0", "7 3 3 1 0", "7 3 5 5 2", "8 1 1 1 0"})};
  Session session_;
};

TEST_F(SessionTest, MarksDragsSelectsAndDeletesAsOneHistory) {
  ASSERT_EQ(Go(level_.Path()), "");
  Mark(1, 1, 2, 1);
  EXPECT_EQ(session_.OutputText(), "TILEW 7 3 -2 -1 -2 -2 0\r\n");
  EXPECT_EQ(ColourAt(2, 1), kBlue);
  // A drag from the last red square to itself is a click: it marks nothing.
  session_.Press(kLeftButton, At(3), At(1), false, false);
  session_.Release(At(3), At(1), false);
  EXPECT_EQ(ColourAt(3, 1), kGreen);
  session_.Press(kRightButton, At(3), At(1), false, false);
  const std::string both = "TILEW 7 3 -2 -1 -2 -2 0\r\nTILEW 7 3 0 0 -2 -2 0\r\n";
  ASSERT_EQ(session_.OutputText(), both);

  CtrlPress(3, 1);
  EXPECT_EQ(session_.SelectedLines(), std::vector<std::size_t>{1});
  CtrlPress(8, 8);  // no record there: nothing stays selected for Delete
  EXPECT_TRUE(session_.SelectedLines().empty());
  session_.Delete();
  EXPECT_EQ(session_.OutputText(), both);
  CtrlPress(1, 1);
  session_.Delete();
  EXPECT_EQ(session_.OutputText(), "TILEW 7 3 0 0 -2 -2 0\r\n");
  EXPECT_EQ(ColourAt(1, 1), kRed);

  // Undo and redo walk one history of marks and removals, across a change of layer.
  session_.StepLayer(1);  // up to layer 2, where 7 3 has its other tile
  ASSERT_EQ(session_.Layer(), 2);
  const std::vector<std::pair<bool, std::string>> steps = {{true, both},
                                                           {true, "TILEW 7 3 -2 -1 -2 -2 0\r\n"},
                                                           {true, ""},
                                                           {true, ""},
                                                           {false, "TILEW 7 3 -2 -1 -2 -2 0\r\n"},
                                                           {false, both},
                                                           {false, "TILEW 7 3 0 0 -2 -2 0\r\n"}};
  for (const auto& [undo, output] : steps) {
    undo ? session_.Undo() : session_.Redo();
    EXPECT_EQ(session_.OutputText(), output);
  }
  EXPECT_TRUE(Says("redone: removing 1 record"));
}

TEST_F(SessionTest, AutoCoversTheLayerAsOneStepAndNeverACellWithoutATile) {
  ASSERT_EQ(Go(level_.Path()), "");
  Mark(1, 1, 2, 1);
  session_.Undo();
  session_.AutoCover();
  EXPECT_EQ(session_.OutputText(), "TILEW 7 3 -2 0 -2 -2 0\r\n");
  session_.Undo();
  EXPECT_EQ(session_.OutputText(), "");
  session_.AutoEvery(true);
  Finish();
  EXPECT_EQ(session_.OutputText(),
            "TILEW 7 3 -2 0 -2 -2 0\r\nTILEW 7 3 2 2 2 2 2\r\nTILEW 8 1 -2 -2 -2 -2 0\r\n");
  session_.Undo();
  EXPECT_EQ(session_.OutputText(), "");
}

// Long work runs a part at a time: it says how far it has got, refuses every other control
// meanwhile, and Cancel leaves the box, the history and the grid as they were.
TEST_F(SessionTest, LongWorkShowsProgressRefusesOtherControlsAndCancelsCleanly) {
  ASSERT_EQ(Go(level_.Path()), "");
  Mark(1, 1, 2, 1);
  const std::string marked = session_.OutputText();
  const auto raster = [this] {
    const std::uint32_t* pixels = session_.Raster().Pixels();
    return std::vector<std::uint32_t>(pixels, pixels + Surface::kWidth * Surface::kHeight);
  };
  const std::vector<std::uint32_t> before = raster();
  for (const bool auto_every : {true, false}) {
    if (auto_every) {
      session_.AutoEvery(true);
    } else {
      session_.Save(false);
    }
    ASSERT_TRUE(session_.Working()) << session_.TakeFault() << session_.StatusRow(2);
    session_.Continue();
    const Session::Progress progress = session_.WorkProgress();
    EXPECT_EQ(progress.what, auto_every ? "Auto on every type" : "Saving the shorter template");
    EXPECT_GT(progress.total, 0);
    EXPECT_LT(progress.done, progress.total);
    session_.Press(kLeftButton, At(3), At(1), false, false);
    session_.Undo();
    if (!auto_every) session_.Continue();  // the refusal's words stay while the work goes on
    EXPECT_TRUE(Says("is running")) << session_.StatusRow(2);
    EXPECT_EQ(session_.OutputText(), marked);
    session_.Cancel();
    EXPECT_FALSE(session_.Working());
    EXPECT_TRUE(Says(auto_every ? "cancelled" : "nothing was saved")) << session_.StatusRow(2);
    EXPECT_EQ(session_.OutputText(), marked);
    EXPECT_EQ(session_.DownloadName(), "");
    EXPECT_TRUE(raster() == before);
  }
  session_.Undo();  // the mark before the work is still the last step
  EXPECT_EQ(session_.OutputText(), "");
}

// Parts run on a front end's thread: their result counts for their own work only.
TEST_F(SessionTest, PartsRunAsideCountForTheirOwnWorkOnly) {
  ASSERT_EQ(Go(level_.Path()), "");
  session_.AutoEvery(true);
  const Session::Parts cancelled = session_.NextParts(0);
  session_.Cancel();
  session_.AutoEvery(true);
  session_.PartsDone(cancelled.work, cancelled.run(), nullptr);
  session_.PartsDone(cancelled.work, false, nullptr);  // "all done", for the cancelled work
  ASSERT_TRUE(session_.Working());
  while (session_.Working()) {
    const Session::Parts parts = session_.NextParts(1000);
    session_.PartsDone(parts.work, parts.run(), nullptr);
  }
  EXPECT_NE(session_.OutputText(), "");
}

TEST_F(SessionTest, GoOnAnotherTemplateAsksAndLosesNothing) {
  ASSERT_EQ(Go(level_.Path()), "");
  Mark(1, 1, 1, 1);
  const std::string marked = session_.OutputText();
  TempTemplate bad(Template({"8 1 99 0 0"}), "bad.tmp");
  EXPECT_NE(Go(bad.Path()).find("line 3"), std::string::npos);
  EXPECT_EQ(session_.Question(), "");  // refused before anything is asked
  EXPECT_EQ(session_.OutputText(), marked);
  // Another template chosen, not gone on: Next Tile Type goes on with the one read.
  TempTemplate other(Template({"9 9 4 4 0"}), "other.tmp");
  session_.ChooseFile(other.Path());
  session_.NextTile();
  EXPECT_EQ(session_.TakeFault(), "");
  EXPECT_EQ(session_.program().curtype, "8 1");
  EXPECT_EQ(session_.program().read_path, level_.Path());

  const struct {
    int answer;
    std::string curtype, output;
  } answers[] = {{2, "8 1", marked}, {0, "9 9", marked}};
  for (const auto& a : answers) {
    ASSERT_EQ(Go(other.Path()), "");
    EXPECT_NE(session_.Question().find("made for " + level_.Path()), std::string::npos);
    ASSERT_EQ(session_.Answers().size(), 3u);
    session_.Answer(a.answer);
    EXPECT_EQ(session_.TakeFault(), "");
    EXPECT_EQ(session_.StatusRow(0).find("type " + a.curtype), 0u) << session_.StatusRow(0);
    EXPECT_EQ(session_.OutputText(), a.output);
  }
  // Start afresh empties the box only once the new run stands, and ends the history with it.
  ASSERT_EQ(Go(level_.Path()), "");
  session_.Answer(1);
  EXPECT_EQ(session_.OutputText(), "");
  session_.Undo();
  EXPECT_EQ(session_.OutputText(), "");
}

TEST_F(SessionTest, SavesWhatApplyWritesAndAsksBeforeAddingCells) {
  ASSERT_EQ(Go(level_.Path()), "");
  Mark(1, 1, 3, 1);
  EXPECT_TRUE(session_.HasUnsaved());
  Save(false);
  EXPECT_EQ(session_.DownloadName(), "level-short.tmp");
  const LargeText saved = session_.TakeDownload();
  const LargeText text = TemplateFile::ReadAll(level_.Path());
  const AppliedTemplate applied =
      ApplyToTemplate("the output box", session_.OutputText(), level_.Path(), text, false, false);
  EXPECT_EQ(std::string_view(saved.data(), saved.size()),
            std::string_view(applied.text.data(), applied.text.size()));
  // What becomes of the bytes is the front end's to tell: only a file known written keeps them.
  session_.Offered(false, "level-short.tmp", "");
  EXPECT_TRUE(Says("offered as a download: level-short.tmp"));
  EXPECT_TRUE(session_.HasUnsaved());
  session_.Offered(true, "chosen.tmp", "");  // no save offered since: changes nothing
  EXPECT_TRUE(session_.HasUnsaved());
  Save(false);
  session_.TakeDownload();
  session_.Offered(true, "chosen.tmp", "");
  EXPECT_TRUE(Says("saved chosen.tmp: 7 lines"));
  EXPECT_FALSE(session_.HasUnsaved());

  // A record typed into the box that covers a cell without a tile is asked about, not saved.
  session_.EditOutput(session_.OutputText() + "TILEW 7 3 2 2 2 2 0\n");
  Save(false);
  EXPECT_NE(session_.Question().find("1 cell"), std::string::npos) << session_.Question();
  session_.Answer(1);
  EXPECT_TRUE(Says("nothing was saved"));
  EXPECT_EQ(session_.DownloadName(), "");
}

// Records that follow a line typed without its line break start a line of their own, and go with
// their undo: a mark, Auto on the layer and Auto on every type alike.
TEST_F(SessionTest, RecordsAfterATypedLineStartALineOfTheirOwn) {
  ASSERT_EQ(Go(level_.Path()), "");
  const std::string typed = "TILEW 8 1 -2 -2 -2 -2 0";
  const std::vector<std::function<void()>> steps = {
      [&] { Mark(1, 1, 2, 1); }, [&] { session_.AutoCover(); },
      [&] { session_.AutoEvery(true), Finish(); }};
  for (const auto& step : steps) {
    session_.EditOutput(typed);
    step();
    ASSERT_TRUE(session_.OutputText().starts_with(typed + "\r\nTILEW 7 3 ")) << session_.OutputText();
    session_.Undo();
    EXPECT_EQ(session_.OutputText(), typed);
  }
}

// Closing asks while records are unsaved, and "Save..." ends it only once the save is written.
TEST_F(SessionTest, ClosesOnlyOnceNothingUnsavedIsLost) {
  ASSERT_EQ(Go(level_.Path()), "");
  Mark(1, 1, 3, 1);
  for (const int answer : {2, 0}) {  // Cancel; Save... with its dialog cancelled
    session_.Close();
    EXPECT_NE(session_.Question().find("(level-short.tmp,"), std::string::npos);
    session_.Answer(answer);
    Finish();
    session_.Offered(false, "", "");
    EXPECT_FALSE(session_.Ended());
  }
  session_.Close();
  session_.Answer(0);
  Finish();
  EXPECT_EQ(session_.SuggestedPath(), ShortName(level_.Path()));
  // Written over the template itself, asked first; a write once begun is not stopped; the
  // template counts as read again, and the next save is not refused.
  session_.WriteTo(level_.Path());
  EXPECT_NE(session_.Question().find("shortening"), std::string::npos) << session_.Question();
  session_.Answer(0);
  session_.Cancel();
  Finish();
  EXPECT_TRUE(session_.Ended()) << session_.TakeFault() << session_.StatusRow(2);
  Save(false);
  EXPECT_EQ(session_.TakeFault(), "");

  Session other;
  other.SetOutputText("TILEW 7 3 1 1 1 1 0\r\n");
  other.Close();
  other.Answer(1);  // Discard
  EXPECT_TRUE(other.Ended());
}

// One key map for every front end: what a key does depends on where the focus is.
TEST(KeyMap, GivesEachKeyItsActionWhereTheFocusIs) {
  const struct {
    const char* focus;
    const char* key;
    bool ctrl, shift, typed;
    const char* action;
  } cases[] = {
      {"text", "s", true, false, false, "Save"},  // in a text box too
      {"text", "z", true, false, false, ""},      // the path and layer boxes keep their undo
      {"box", "z", true, false, true, ""},        // the box's own typing first
      {"box", "z", true, false, false, "Undo"},   // then the last mark
      {"grid", "z", true, true, false, "Redo"},
      {"other", "y", true, false, false, "Redo"},
      {"other", "PageUp", false, false, false, "StepUp"},
      {"box", "PageDown", false, false, false, ""},
      {"other", "Delete", false, false, false, "Delete"},
      {"box", "Delete", false, false, false, ""},
      {"grid", "Enter", false, true, false, "Grid"},
      {"other", "Enter", false, false, false, ""},
      {"grid", "Delete", true, false, false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyAction(c.focus, c.key, c.ctrl, c.shift, c.typed), c.action)
        << c.focus << " " << c.key;
  }
}

TEST_F(SessionTest, DeleteTakesTheCaretsRecordAndTheCellLeavesWithTheKeyboard) {
  ASSERT_EQ(Go(level_.Path()), "");
  session_.SortTypes(0);
  session_.SortTypes(0);                    // by id1, the other way: 8 1 first
  EXPECT_EQ(session_.CurrentTypeRow(), 1);  // where the lists' highlight goes
  Mark(1, 1, 1, 1);
  Mark(2, 1, 2, 1);
  session_.Caret(0);
  session_.Key(KeyAction("other", "Delete", false, false, false), "Delete", false);
  EXPECT_EQ(session_.OutputText(), "TILEW 7 3 -1 -1 -2 -2 0\r\n");
  session_.Caret(0);
  CtrlPress(8, 8);  // selects nothing, the caret's record included
  session_.Delete();
  EXPECT_EQ(session_.OutputText(), "TILEW 7 3 -1 -1 -2 -2 0\r\n");
  // The caret's record is outlined until the box changes: typed away, its outline goes too.
  session_.Caret(0);
  EXPECT_EQ(session_.Selection().left, 2);
  session_.EditOutput("");
  EXPECT_LT(session_.Selection().left, 0);

  session_.GridFocus();
  session_.GridKey("ArrowRight", false);
  EXPECT_NE(session_.StatusRow(1), "");
  session_.GridBlur();  // the pointer is elsewhere: no cell is named
  EXPECT_EQ(session_.StatusRow(1), "");
  session_.Hover(At(3), At(1));
  session_.GridBlur();  // the pointer is over the grid: its cell stays
  EXPECT_NE(session_.StatusRow(1), "");
}

TEST(Session, BeforeATemplateIsChosenGoIsAFaultAndNoCellIsNamed) {
  Session session;
  session.Go();  // with no template chosen: a fault kept, never thrown
  EXPECT_EQ(session.TakeFault(), "No template chosen: the path box is empty.");
  session.GridFocus();
  session.Hover(At(3), At(1));
  EXPECT_EQ(session.StatusRow(1), "");
}

// The grid's point under the pointer stays under it; zoom stays within 1 to kMaxZoom.
TEST(Zoom, KeepsThePointUnderThePointer) {
  const struct {
    int zoom, steps;
    double pointer_x, pointer_y, scroll_x, scroll_y;
    Zoomed zoomed;
  } cases[] = {
      {1, 1, 100, 50, 0, 0, {2, 100, 50}},  {2, 1, 0, 0, 50, 20, {3, 75, 30}},
      {2, -1, 100, 50, 100, 50, {1, 0, 0}}, {2, -1, 10, 10, 0, 0, {1, 0, 0}},
      {3, 0, 10, 40, 290, 20, {1, 90, 0}},  {kMaxZoom, 1, 5, 5, 7, 9, {kMaxZoom, 7, 9}},
      {1, -1, 5, 5, 0, 0, {1, 0, 0}},
  };
  for (const auto& c : cases) {
    const Zoomed zoomed =
        ZoomAbout(c.zoom, c.steps, c.pointer_x, c.pointer_y, c.scroll_x, c.scroll_y);
    EXPECT_EQ(zoomed.zoom, c.zoomed.zoom) << c.zoom << " " << c.steps;
    EXPECT_DOUBLE_EQ(zoomed.scroll_x, c.zoomed.scroll_x) << c.zoom << " " << c.steps;
    EXPECT_DOUBLE_EQ(zoomed.scroll_y, c.zoomed.scroll_y) << c.zoom << " " << c.steps;
  }
}

// A page names chosen files: another file of a name already given gets a name of its own.
TEST(Session, NamesTwoDifferentFilesOfOneNameApart) {
  Session session;
  const struct {
    const char* name;
    const char* identity;
    const char* stored;
  } choices[] = {
      {"castle.tmp", "612 1", "castle.tmp"},     {"castle.tmp", "612 1", "castle.tmp"},
      {"castle.tmp", "700 2", "castle (2).tmp"}, {"castle.tmp", "800 3", "castle (3).tmp"},
      {"castle.tmp", "700 2", "castle (2).tmp"}, {"a/b", "1 1", "a_b"}};
  for (const auto& c : choices) EXPECT_EQ(session.NameForChosen(c.name, c.identity), c.stored);
}

}  // namespace
}  // namespace quarnel
