#pragma once

#include <string>

#include "editor/marking.h"
#include "editor/program.h"

namespace quarnel {

// Why an addition cannot be taken back now: the output text no longer ends with exactly its
// lines (the user edited them). Empty when it can.
std::string WhyNotUndone(const Program& program, const Addition& addition);

// Takes back what a mark or Auto press added: its lines leave the end of the output text and, if
// the drawing it was put on still shows, its squares get back the colours they had. Changes
// nothing when the output text no longer ends with exactly those lines, and returns why; an empty
// text when it was taken back.
std::string UndoAddition(Program& program, const Addition& addition);

// Puts a taken-back addition again: its lines go back at the end of the output text and, if its
// drawing still shows, its squares turn blue again.
void RedoAddition(Program& program, const Addition& addition);

}  // namespace quarnel
