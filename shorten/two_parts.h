#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace quarnel {

// Runs part(0) and part(1), side by side when `parts` is 2 (part 0 on a second thread), and
// returns when both are done; with `parts` 1, runs part(0) alone. An exception from either part
// is thrown again here, part 0's first. Where no thread can be started, the parts run in order.
template <typename Part>
void InParts(std::size_t parts, Part part) {
  if (parts < 2) {
    part(0);
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
  {
    std::jthread second;
    try {
      second = std::jthread(run, 0);
    } catch (const std::system_error&) {
      run(0);
    }
    run(1);
  }  // joins the second thread
  for (const auto& f : failed) {
    if (f) std::rethrow_exception(f);
  }
}

}  // namespace quarnel
