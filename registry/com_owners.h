// Move-only owners for the Win32 and COM resources of the settings library and its callers:
// registry keys, BSTRs, VARIANTs, SAFEARRAYs and interface pointers. Each releases what
// it holds exactly once; none can be copied, so no resource is ever released twice.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <unknwn.h>

#include <utility>

#include "unique_handle.h"

namespace kolo {

inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void FreeBstr(BSTR text) { SysFreeString(text); }
inline void DestroySafeArray(SAFEARRAY* array) { SafeArrayDestroy(array); }

using UniqueHkey = tly::UniqueHandle<HKEY, CloseKey>;
using UniqueBstr = tly::UniqueHandle<BSTR, FreeBstr>;
using UniqueSafeArray = tly::UniqueHandle<SAFEARRAY*, DestroySafeArray>;

// A VARIANT that is cleared when it goes.
class UniqueVariant {
 public:
  UniqueVariant() noexcept { VariantInit(&value_); }
  UniqueVariant(UniqueVariant&& other) noexcept : value_(other.release()) {}
  UniqueVariant& operator=(UniqueVariant&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.release();
    }
    return *this;
  }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { reset(); }

  const VARIANT& get() const noexcept { return value_; }
  VARIANT* put() noexcept {
    reset();
    return &value_;
  }
  // For in/out arguments: the callee may replace what is held, and the owner takes the result.
  VARIANT* addressof() noexcept { return &value_; }
  VARTYPE vt() const noexcept { return V_VT(&value_); }
  VARIANT release() noexcept {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }
  void reset() noexcept {
    VariantClear(&value_);
    VariantInit(&value_);
  }

 private:
  VARIANT value_;
};

// An interface pointer; the reference it holds is released when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  // Takes over a reference the caller already holds.
  explicit ComPtr(T* pointer) noexcept : pointer_(pointer) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  T* get() const noexcept { return pointer_; }
  T* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }
  T* release() noexcept { return std::exchange(pointer_, nullptr); }
  void reset(T* pointer = nullptr) noexcept {
    T* old = std::exchange(pointer_, pointer);
    if (old) old->Release();
  }
  T** put() noexcept {
    reset();
    return &pointer_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  // A second owner of the same object: an explicit AddRef, never an implicit copy.
  ComPtr Share() const noexcept {
    if (pointer_) pointer_->AddRef();
    return ComPtr(pointer_);
  }
  template <typename U>
  HRESULT QueryTo(ComPtr<U>& out) const noexcept {
    return pointer_ ? pointer_->QueryInterface(__uuidof(U), out.put_void()) : E_POINTER;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace kolo
