#include "editor/save_checks.h"

#include "model/fault.h"
#include "model/file_stamp.h"

namespace quarnel {

void RequireSavable(const Program& program) {
  if (program.read_path.empty() || !program.read_stamp) {
    throw Fault({}, "press go first: Quarnel saves the template it has read");
  }
  if (StampOf(program.read_path) != program.read_stamp) {
    throw Fault({program.read_path},
                "changed on disk since Quarnel read it; press go to read it again. Nothing was "
                "saved");
  }
}

}  // namespace quarnel
