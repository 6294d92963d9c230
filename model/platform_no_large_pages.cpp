// Windows and WebAssembly: memory from operator new, which the filling faults in itself. Windows'
// large pages need a privilege users lack; WebAssembly has none.
#include "model/platform.h"

namespace quarnel::platform {

bool HasHugePages() {
  return false;
}

void* MapHugePages(std::size_t) {
  return nullptr;
}

void UnmapHugePages(void*, std::size_t) noexcept {}

bool FaultsIn() {
  return false;
}

void FaultIn(void*, std::size_t) noexcept {}

void AdviseLargePages(void*, std::size_t) noexcept {}

}  // namespace quarnel::platform
