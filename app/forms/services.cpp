#include "services.h"

#include <oleauto.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "owners.h"

namespace tly::forms {
namespace {

// A library loaded at the first call of one of its functions and freed when the program ends.
class LazyLibrary {
 public:
  explicit LazyLibrary(const wchar_t* name) : name_(name) {}
  LazyLibrary(const LazyLibrary&) = delete;
  LazyLibrary& operator=(const LazyLibrary&) = delete;
  ~LazyLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  template <typename Function>
  Function* Get(const char* function) {
    if (module_ == nullptr && !tried_) {
      tried_ = true;
      module_ = LoadLibraryW(name_);
    }
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_, function)));
  }

 private:
  const wchar_t* name_;
  HMODULE module_ = nullptr;
  bool tried_ = false;
};

LazyLibrary& Shell32() {
  static LazyLibrary library(L"shell32.dll");
  return library;
}

LazyLibrary& VersionDll() {
  static LazyLibrary library(L"version.dll");
  return library;
}

BOOL VerQuery(const void* block, const wchar_t* path, void** value, UINT* size) {
  auto* query = VersionDll().Get<decltype(::VerQueryValueW)>("VerQueryValueW");
  return query != nullptr ? query(block, path, value, size) : FALSE;
}

LazyLibrary& User32() {
  static LazyLibrary library(L"user32.dll");
  return library;
}

std::wstring QueryVersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  struct Translation {
    WORD language, code_page;
  }* translations = nullptr;
  UINT size = 0;
  if (!VerQuery(block.data(), L"\\VarFileInfo\\Translation",
                reinterpret_cast<void**>(&translations), &size) ||
      size < sizeof(Translation))
    return {};
  wchar_t path[64];
  swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
           translations[0].code_page, name);
  wchar_t* value = nullptr;
  if (!VerQuery(block.data(), path, reinterpret_cast<void**>(&value), &size) || size == 0)
    return {};
  return std::wstring(value, size - 1);
}

}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    UniqueScreenDc dc(GetDC(nullptr));
    const int value = GetDeviceCaps(dc.get(), LOGPIXELSY);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int WindowDpi(HWND window) {
  auto* dpi_for_window = User32().Get<UINT WINAPI(HWND)>("GetDpiForWindow");
  const UINT dpi = dpi_for_window != nullptr ? dpi_for_window(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int MetricForDpi(int index, int dpi) {
  if (auto* metric = User32().Get<int WINAPI(int, UINT)>("GetSystemMetricsForDpi"))
    return metric(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

HICON LoadProgramIcon(int id, int size) {
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

int TextWidthIn(HWND control, std::wstring_view text) {
  UniqueScreenDc dc(GetDC(nullptr));
  HGDIOBJ old =
      SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc.get(), old);
  return size.cx;
}

std::wstring ResourceString(int id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id),
                           reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<std::size_t>(length));
}

int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view title, UINT flags) {
  return MessageBoxW(owner, std::wstring(text).c_str(), std::wstring(title).c_str(), flags);
}

void Beep(UINT type) { MessageBeep(type); }

bool ClipboardHasText() {
  return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

bool SetClipboardText(HWND owner, std::wstring_view text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  auto* chars = static_cast<wchar_t*>(GlobalLock(memory));
  if (chars == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::copy(text.begin(), text.end(), chars);
  chars[text.size()] = L'\0';
  GlobalUnlock(memory);
  bool placed = false;
  if (OpenClipboard(owner)) {
    EmptyClipboard();
    placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;  // the clipboard owns it then
    CloseClipboard();
  }
  if (!placed) GlobalFree(memory);
  return placed;
}

std::optional<double> ParseLocaleNumber(std::wstring_view text) {
  std::wstring copy(text);
  double value = 0;
  if (FAILED(VarR8FromStr(copy.data(), LOCALE_USER_DEFAULT, 0, &value))) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

char LocaleDecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 &&
      separator[0] > 0 && separator[0] < 128)
    return static_cast<char>(separator[0]);
  return '.';
}

std::wstring FullProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ProgramFolder() {
  std::wstring path = FullProgramPath();
  std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return L".";
  if (slash == 2 && path[1] == L':') return path.substr(0, 3);  // "C:\"
  return path.substr(0, slash);
}

std::wstring InProgramFolder(std::wstring_view name) {
  std::wstring path = ProgramFolder();
  if (!path.ends_with(L'\\')) path += L'\\';
  return path.append(name);
}

std::wstring ProgramFileTitle() {
  std::wstring path = FullProgramPath();
  std::size_t slash = path.find_last_of(L'\\');
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

const VersionInfo& ProgramVersion() {
  static const VersionInfo info = [] {
    VersionInfo v;
    std::wstring path = FullProgramPath();
    DWORD ignored = 0;
    auto* size_of =
        VersionDll().Get<decltype(::GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW");
    auto* read = VersionDll().Get<decltype(::GetFileVersionInfoW)>("GetFileVersionInfoW");
    if (size_of == nullptr || read == nullptr) return v;
    DWORD size = size_of(path.c_str(), &ignored);
    if (size == 0) return v;
    std::vector<BYTE> block(size);
    if (!read(path.c_str(), 0, size, block.data())) return v;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQuery(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        fixed != nullptr) {
      v.major = HIWORD(fixed->dwProductVersionMS);
      v.minor = LOWORD(fixed->dwProductVersionMS);
      v.revision = HIWORD(fixed->dwProductVersionLS);
    }
    v.company = QueryVersionString(block, L"CompanyName");
    v.product = QueryVersionString(block, L"ProductName");
    v.legal_copyright = QueryVersionString(block, L"LegalCopyright");
    return v;
  }();
  return info;
}

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data) {
  auto* notify = Shell32().Get<decltype(::Shell_NotifyIconA)>("Shell_NotifyIconA");
  return notify != nullptr ? notify(message, data) : FALSE;
}

void ShellOpen(HWND owner, const std::wstring& file) {
  if (auto* execute = Shell32().Get<decltype(::ShellExecuteW)>("ShellExecuteW"))
    execute(owner, L"open", file.c_str(), L"", L"", SW_SHOWNORMAL);
}

}  // namespace tly::forms
