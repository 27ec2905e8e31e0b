// Run-time services of the user interface: screen geometry in twips, the string table, message
// boxes and beeps, the clipboard, the locale's numbers, and what the program knows of itself.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <string_view>

#include "dpi_scale.h"

namespace tly::forms {

// The DPI of the screen as Windows set it for the session.
int SystemDpi();
// The DPI of the monitor `window` is shown on, for a program aware of each monitor's DPI; the
// system DPI where Windows has no such call.
int WindowDpi(HWND window);
// A system metric (SM_CXICON, SM_CXSMICON, ...) at `dpi`.
int MetricForDpi(int index, int dpi);
// Icon resource `id` of the program at `size` pixels square; the caller owns it.
HICON LoadProgramIcon(int id, int size);

// The text of a window of this program: its caption, or a control's contents.
std::wstring WindowText(HWND hwnd);
// How wide `text` draws in `control`'s font, in pixels.
int TextWidthIn(HWND control, std::wstring_view text);

// String resource `id` of the program; empty when there is none.
std::wstring ResourceString(int id);

int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view title, UINT flags);
void Beep(UINT type = 0xFFFFFFFF);

bool ClipboardHasText();
// Puts `text` on the clipboard as Unicode text, for `owner`; false when the clipboard is busy.
bool SetClipboardText(HWND owner, std::wstring_view text);

// The locale's standard numeric test and conversion: nullopt when `text` is not a number.
std::optional<double> ParseLocaleNumber(std::wstring_view text);
char LocaleDecimalSeparator();

// The program's folder (with no trailing backslash unless it is a drive root), its file name
// without extension, and its version information.
std::wstring ProgramFolder();
// `name` in the program's folder.
std::wstring InProgramFolder(std::wstring_view name);
std::wstring ProgramFileTitle();
std::wstring FullProgramPath();
struct VersionInfo {
  int major = 0, minor = 0, revision = 0;
  std::wstring company, product, legal_copyright;
};
const VersionInfo& ProgramVersion();

// The shell's calls, bound when first used: most runs never need shell32, and loading it is a
// good part of a start.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data);
void ShellOpen(HWND owner, const std::wstring& file);

}  // namespace tly::forms
