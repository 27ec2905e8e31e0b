// Move-only owners for the Win32 resources of the user interface: each releases its handle
// exactly once, when it goes out of scope or is reset.
#pragma once

#include <windows.h>

#include <utility>

namespace tly::forms {

template <typename Handle, void (*Close)(Handle)>
class Unique {
 public:
  Unique() = default;
  explicit Unique(Handle h) : handle_(h) {}
  Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  ~Unique() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(Handle h = nullptr) {
    if (handle_ != nullptr) Close(handle_);
    handle_ = h;
  }
  Handle release() { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

namespace detail {
inline void CloseFont(HFONT h) { DeleteObject(h); }
inline void CloseBrush(HBRUSH h) { DeleteObject(h); }
inline void ClosePen(HPEN h) { DeleteObject(h); }
inline void CloseIcon(HICON h) { DestroyIcon(h); }
inline void CloseMenu(HMENU h) { DestroyMenu(h); }
inline void CloseWindow(HWND h) { DestroyWindow(h); }
inline void CloseScreenDc(HDC h) { ReleaseDC(nullptr, h); }
inline void CloseHandleValue(HANDLE h) { CloseHandle(h); }
}  // namespace detail

using UniqueFont = Unique<HFONT, detail::CloseFont>;
using UniqueBrush = Unique<HBRUSH, detail::CloseBrush>;
using UniquePen = Unique<HPEN, detail::ClosePen>;
using UniqueIcon = Unique<HICON, detail::CloseIcon>;
using UniqueMenu = Unique<HMENU, detail::CloseMenu>;
using UniqueWindow = Unique<HWND, detail::CloseWindow>;
using UniqueScreenDc = Unique<HDC, detail::CloseScreenDc>;
using UniqueKernelHandle = Unique<HANDLE, detail::CloseHandleValue>;

}  // namespace tly::forms
