#include "help.h"

#include <windows.h>

#include "forms/services.h"
#include "text.h"

namespace tly {
namespace {

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::wstring HelpPage(int context) {
  if (context != 0) {
    std::wstring topic =
        forms::InProgramFolder(L"help\\context-" + std::to_wstring(context) + L".html");
    if (FileExists(topic)) return topic;
  }
  return forms::InProgramFolder(L"help\\index.html");
}

void OpenHelp(HWND owner, const std::wstring& help_file, int context) {
  if (FileExists(help_file)) {
    WinHelpA(owner, ToAnsi(help_file).c_str(), context != 0 ? HELP_CONTEXT : HELP_FINDER,
             static_cast<ULONG_PTR>(context));
    return;
  }
  forms::ShellOpen(owner, HelpPage(context));
}

void CloseHelp(HWND owner, const std::wstring& help_file) {
  if (FileExists(help_file)) WinHelpA(owner, ToAnsi(help_file).c_str(), HELP_QUIT, 0);
}

}  // namespace tly
