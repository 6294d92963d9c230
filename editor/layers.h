#pragma once

#include "editor/program.h"

namespace quarnel {

// The spinner's value changed. Moves on, in the direction of the change as measured from the
// layer box, to the nearest layer at or beyond the new value that holds a cell of the current
// type, puts its number in the layer box and redraws. Without such a layer the spinner keeps its
// new value and an empty layer shows. A layer box that holds no layer number is a Fault: the
// layer shown before stays shown, on the spinner and in the box.
void ZscrChange(Program& program);

// A spinner change that changed nothing: a layer box that holds no layer number is the same Fault
// as in ZscrChange, with the same outcome.
void CheckLayerBox(Program& program);

// Enter in the layer box: shows the layer typed there, as it stands, with no search. A text that
// is no layer number (0..100; fractions round half to even) is the same Fault as in ZscrChange.
void ShowTypedLayer(Program& program);

}  // namespace quarnel
