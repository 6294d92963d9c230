#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "cover/layers_covered.h"

namespace quarnel {

// Auto on every layer of every type in `keys` ("id1 id2", in that order) of the template at
// `path`: each layer's cells that neither the template's rectangle records nor those of `box` (the
// output text) cover, covered with the fewest rectangles Auto finds, exactly as Auto on each
// layer shown would cover them. A part at a time, so that the caller can show how far it has got
// and stop between parts: one read of the template and the box, as the shortener reads, then some
// types a part, on two threads where there are two. Changes nothing outside itself.
class AutoTypesRun {
 public:
  AutoTypesRun(std::string path, std::vector<std::string> keys,
               std::shared_ptr<const std::string> box);
  ~AutoTypesRun();
  // Does the next part; false once all are done. Throws Fault where the template cannot be read.
  bool Next();
  // Types done, of all.
  long long Done() const { return done_.load(); }
  long long Total() const;
  LayersCovered Take();

 private:
  struct Work;
  std::unique_ptr<Work> work_;
  std::atomic<long long> done_ = 0;  // read by the progress while a thread does the parts
};

}  // namespace quarnel
