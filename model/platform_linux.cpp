// Linux: large pages from the kernel, faulting-in from a second thread.
#include <sys/mman.h>

#include <cstdint>

#include "model/platform.h"

namespace quarnel::platform {

bool HasHugePages() {
  return true;
}

void* MapHugePages(std::size_t bytes) {
  // Mapped one huge page larger than needed, then trimmed to a 2 MiB boundary on both sides.
  void* const mapped = ::mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (begin + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > begin) ::munmap(mapped, aligned - begin);
  const std::size_t after = begin + kHugePage - aligned;
  if (after > 0) ::munmap(reinterpret_cast<void*>(aligned + bytes), after);
  ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);  // advice only
  return reinterpret_cast<void*>(aligned);
}

void UnmapHugePages(void* data, std::size_t bytes) noexcept {
  ::munmap(data, bytes);
}

bool FaultsIn() {
  return true;
}

void AdviseLargePages(void* data, std::size_t bytes) noexcept {
  // Whole large pages inside the block only: advice about memory beyond it would reach others'.
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (begin + bytes) & ~(kHugePage - 1);
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void FaultIn(void* data, std::size_t bytes) noexcept {
  ::madvise(data, bytes, MADV_POPULATE_WRITE);  // advice only
}

}  // namespace quarnel::platform
