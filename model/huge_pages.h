#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace quarnel {

// Memory of at least kHugePageFrom bytes on whole 2 MiB pages, where the kernel has them: a
// template of a million lines fills tens of MiB of fresh memory, and each 4 KiB page of it costs a
// page fault of its own, which on a virtual machine costs more than reading the page's lines. The
// block starts on a 2 MiB boundary and spans whole 2 MiB pages, so that none of it is left to
// small pages. Filling one 2 MiB page costs about what two dozen 4 KiB page faults do, so blocks
// from 128 KiB up take them; smaller blocks come from operator new. Throws std::bad_alloc when
// memory runs out.
inline constexpr std::size_t kHugePageFrom = std::size_t{1} << 17;
void* AllocateLarge(std::size_t bytes);
// Frees what AllocateLarge gave for the same `bytes`.
void FreeLarge(void* data, std::size_t bytes) noexcept;

// The allocator of the large buffers: a template's text, its records and their grouping.
// Elements made without a value are left as they come (default-initialized), not zeroed: a
// buffer that is filled anyway is then first touched by the threads that fill it, side by side,
// instead of by one thread zeroing it all. Give a value where zeros are wanted.
template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(AllocateLarge(n * sizeof(T)));
  }
  void deallocate(T* data, std::size_t n) noexcept { FreeLarge(data, n * sizeof(T)); }
  template <typename U>
  void construct(U* at) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
  friend bool operator==(const LargeAllocator&, const LargeAllocator&) { return true; }
};

template <typename T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

// Room for `bytes` in a std::string about to be filled, on large pages where the system gives
// them on request: the records of a whole template go through std::strings too.
void ReserveLarge(std::string& text, std::size_t bytes);

// Faults in [data, data + bytes) on a thread of its own, a little ahead of a caller that fills it
// from the start and says how far it got: the kernel zeroes each fresh page as it is first
// touched, and one thread touching a buffer of tens of MiB from start to end would wait for all of
// it. A fill that stops early (a file refused at a fault) costs no more memory than it filled,
// plus a few MiB. Stops at the end of its scope. Leaves small buffers alone.
class FaultInAhead {
 public:
  // How far ahead of the filling the faulting-in runs, at most.
  static constexpr std::size_t kAhead = std::size_t{4} << 20;

  FaultInAhead(void* data, std::size_t bytes);
  ~FaultInAhead();
  FaultInAhead(const FaultInAhead&) = delete;
  FaultInAhead& operator=(const FaultInAhead&) = delete;

  // The caller has filled the first `filled` bytes.
  void Filled(std::size_t filled) {
    filled_.store(filled, std::memory_order_release);
    filled_.notify_one();
  }

 private:
  static constexpr std::size_t kStop = static_cast<std::size_t>(-1);

  std::atomic<std::size_t> filled_{0};
  std::thread thread_;
};

// A large text: a template read whole, or one written. Unlike a std::string, making it longer
// leaves the new bytes as they come until they are written, so that each byte is touched first
// by whoever fills it.
class LargeText {
 public:
  LargeText() = default;
  // A copy is filled already: it has no faulting-in of its own.
  LargeText(const LargeText& other) : bytes_(other.bytes_) {}
  LargeText& operator=(const LargeText& other) {
    if (this != &other) {
      ahead_.reset();
      bytes_ = other.bytes_;
    }
    return *this;
  }
  LargeText(LargeText&&) noexcept = default;
  LargeText& operator=(LargeText&& other) noexcept {
    ahead_ = std::move(other.ahead_);  // the old faulting-in stops before its bytes go
    bytes_ = std::move(other.bytes_);
    told_ = other.told_;
    return *this;
  }
  ~LargeText() = default;

  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  const char* data() const { return bytes_.data(); }
  char* data() { return bytes_.data(); }
  char back() const { return bytes_.back(); }
  void reserve(std::size_t size) { bytes_.reserve(size); }
  // Room for `size` bytes that are about to be filled from the start: a second thread faults in
  // their pages a little ahead of the filling, until the room is filled or the text is gone.
  void ReserveToFill(std::size_t size) {
    ahead_.reset();
    bytes_.reserve(size);
    ahead_ = std::make_unique<FaultInAhead>(bytes_.data(), bytes_.capacity());
    told_ = 0;
  }
  // New bytes are not set.
  void resize(std::size_t size) {
    Grow(size);
    bytes_.resize(size);
    TellFilled();
  }
  void Append(std::string_view more) {
    Grow(size() + more.size());
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    TellFilled();
  }
  operator std::string_view() const { return {bytes_.data(), bytes_.size()}; }

 private:
  // The faulting-in stops before the bytes move to a larger block.
  void Grow(std::size_t size) {
    if (size > bytes_.capacity()) ahead_.reset();
  }
  // Told once a 2 MiB page, not once a line: telling may wake the faulting thread.
  void TellFilled() {
    if (ahead_ && size() >= told_ + kTellEvery) {
      told_ = size();
      ahead_->Filled(told_);
    }
  }
  static constexpr std::size_t kTellEvery = std::size_t{2} << 20;

  LargeVector<char> bytes_;
  std::unique_ptr<FaultInAhead> ahead_;  // while the text is being filled
  std::size_t told_ = 0;                 // the filling the faulting was last told of
};

}  // namespace quarnel
