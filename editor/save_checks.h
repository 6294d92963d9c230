#pragma once

#include "editor/program.h"

namespace quarnel {

// Throws the Fault a save gives before it writes anything, in every front end: no template has
// been read yet, or the one read changed on disk since.
void RequireSavable(const Program& program);

}  // namespace quarnel
