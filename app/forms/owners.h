// Owners for the Win32 resources of the user interface: each releases its handle exactly once,
// when it goes out of scope or is reset.
#pragma once

#include <windows.h>

#include "unique_handle.h"

namespace tly::forms {

namespace detail {
inline void CloseFont(HFONT h) { DeleteObject(h); }
inline void CloseBrush(HBRUSH h) { DeleteObject(h); }
inline void ClosePen(HPEN h) { DeleteObject(h); }
inline void CloseIcon(HICON h) { DestroyIcon(h); }
inline void CloseMenu(HMENU h) { DestroyMenu(h); }
inline void CloseWindow(HWND h) { DestroyWindow(h); }
inline void CloseScreenDc(HDC h) { ReleaseDC(nullptr, h); }
inline void CloseHandleValue(HANDLE h) { CloseHandle(h); }
inline void CloseModule(HMODULE h) { FreeLibrary(h); }
}  // namespace detail

using UniqueFont = UniqueHandle<HFONT, detail::CloseFont>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::CloseBrush>;
using UniquePen = UniqueHandle<HPEN, detail::ClosePen>;
using UniqueIcon = UniqueHandle<HICON, detail::CloseIcon>;
using UniqueMenu = UniqueHandle<HMENU, detail::CloseMenu>;
using UniqueWindow = UniqueHandle<HWND, detail::CloseWindow>;
using UniqueScreenDc = UniqueHandle<HDC, detail::CloseScreenDc>;
using UniqueKernelHandle = UniqueHandle<HANDLE, detail::CloseHandleValue>;
using UniqueModule = UniqueHandle<HMODULE, detail::CloseModule>;

// Function `name` of `module` as type F; nullptr when the module or the function is missing.
template <class F>
F ProcedureOf(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace tly::forms
