#include "model/huge_pages.h"

#include <cstdint>
#include <system_error>

#include "model/platform.h"

namespace quarnel {
namespace {

using platform::kHugePage;

// Under AddressSanitizer every block comes from operator new, where overruns are caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

bool OnHugePages(std::size_t bytes) {
  return !kAddressSanitizer && bytes >= kHugePageFrom && platform::HasHugePages();
}

std::size_t Rounded(std::size_t bytes) {
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

void* AllocateLarge(std::size_t bytes) {
  if (!OnHugePages(bytes)) return ::operator new(bytes);
  const std::size_t size = Rounded(bytes);
  if (size < bytes || size + kHugePage < size) throw std::bad_alloc();
  void* const pages = platform::MapHugePages(size);
  if (!pages) throw std::bad_alloc();
  return pages;
}

void ReserveLarge(std::string& text, std::size_t bytes) {
  if (bytes <= text.capacity()) return;
  text.reserve(bytes);
  if (bytes >= kHugePageFrom) platform::AdviseLargePages(text.data(), text.capacity());
}

FaultInAhead::FaultInAhead(void* data, std::size_t bytes) {
  constexpr std::size_t kWorthAThread = std::size_t{4} << 20;
  if (bytes < kWorthAThread || !platform::FaultsIn()) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  // The first page is the caller's own: it starts filling there at once.
  const std::uintptr_t first = ((begin + kHugePage - 1) & ~(kHugePage - 1)) + kHugePage;
  const std::uintptr_t end = (begin + bytes) & ~(kHugePage - 1);
  if (end <= first) return;
  try {
    thread_ = std::thread([this, begin, first, end] {
      for (std::uintptr_t page = first; page < end; page += kHugePage) {
        // Wait until the filling is near enough; the destructor's wake-up ends the wait.
        for (;;) {
          const std::size_t filled = filled_.load(std::memory_order_acquire);
          if (filled == kStop) return;
          if (begin + filled + kAhead >= page + kHugePage) break;
          filled_.wait(filled, std::memory_order_acquire);
        }
        platform::FaultIn(reinterpret_cast<void*>(page), kHugePage);
      }
    });
  } catch (const std::system_error&) {
    // No thread to spare: the caller faults the pages in as it fills them.
  }
}

FaultInAhead::~FaultInAhead() {
  if (!thread_.joinable()) return;
  Filled(kStop);
  thread_.join();
}

void FreeLarge(void* data, std::size_t bytes) noexcept {
  if (!OnHugePages(bytes)) {
    ::operator delete(data);
    return;
  }
  platform::UnmapHugePages(data, Rounded(bytes));
}

}  // namespace quarnel
