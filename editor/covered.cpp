#include "editor/covered.h"

#include "editor/grid_view.h"
#include "model/fault.h"
#include "model/record_reader.h"
#include "model/template_file.h"

namespace quarnel {

void ForEachBoxRecord(std::string_view text,
                      const std::function<void(std::string_view key, const Box& box)>& each) {
  TemplateFile file("the output box", text);
  std::string_view key;  // of the record being read; the text outlives it
  for (;;) {
    try {
      ReadRecords(
          file,
          [&](const RecordKey& record) {
            key = record.key;
            return record.rectangle ? 0 : kSkipRecord;
          },
          [&](int, const Box& box, bool, std::size_t) { each(key, box); });
      return;
    } catch (const Fault&) {
      // The reader has taken the faulty line whole: go on after it.
    }
  }
}

TileArray CoveredCells(std::string_view text, std::string_view key) {
  TileArray covered;
  ForEachBoxRecord(text, [&](std::string_view of, const Box& box) {
    if (of == key) covered.SetBox(box);
  });
  return covered;
}

void OutputChanged(Program& program) {
  program.covered = CoveredCells(program.window.OutputText(), program.curtype);
  const int layer = program.window.Layer();
  if (layer < 0 || layer >= kLayers || !program.tilearray.LayerHasCells(layer)) return;
  Surface& surface = program.window.Picture();
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      if (!program.tilearray.At(x, y, layer)) continue;
      const Colour now = surface.PointColour(x * kCellPitch, y * kCellPitch);
      if (now != kRed && now != kBlue) continue;
      PutGrid(surface, x, y, program.covered.At(x, y, layer) ? kBlue : kRed);
    }
  }
}

}  // namespace quarnel
