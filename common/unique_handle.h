// The owner of one handle, for the program and its settings library alike: it releases what it
// holds exactly once, when it goes or is reset. It moves but cannot be copied, so no handle is
// ever released twice. `Close` is the call that releases a handle; the empty handle is T{}.
#pragma once

#include <utility>

namespace tly {

template <typename T, auto Close>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T value) noexcept : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != T{}; }
  T release() noexcept { return std::exchange(value_, T{}); }
  void reset(T value = T{}) noexcept {
    T old = std::exchange(value_, value);
    if (old != T{}) Close(old);
  }
  // For functions that hand out a new handle through a pointer argument.
  T* put() noexcept {
    reset();
    return &value_;
  }
  // For in/out arguments: the callee may replace what is held, and the owner takes the result.
  T* addressof() noexcept { return &value_; }

 private:
  T value_{};
};

}  // namespace tly
