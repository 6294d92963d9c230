#pragma once

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>

#include "model/platform.h"

namespace quarnel {

// Work this large or more is split in two and done side by side; below it a second thread costs
// more than it saves.
inline constexpr std::size_t kSideBySideFrom = std::size_t{1} << 16;

// Runs part(0) and part(1) at once, part 1 on a second thread, and returns when both are done; an
// exception from either is thrown again here, part 0's first. With `parts` 1, runs part(0) alone.
// Where no thread can be started, or the system has none, the parts run one after the other.
template <typename Part>
void SideBySide(int parts, Part part) {
  if (parts < 2 || !platform::HasThreads()) {
    for (int index = 0; index < parts; ++index) part(index);
    return;
  }
  std::exception_ptr failed[2];
  const auto run = [&](int index) {
    try {
      part(index);
    } catch (...) {
      failed[index] = std::current_exception();
    }
  };
  std::thread second;
  try {
    second = std::thread(run, 1);
  } catch (const std::system_error&) {
    run(1);
  }
  run(0);
  if (second.joinable()) second.join();
  for (const auto& f : failed) {
    if (f) std::rethrow_exception(f);
  }
}

}  // namespace quarnel
