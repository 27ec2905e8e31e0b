// The program's help: the HTML pages in the folder "help" beside the program, opened in the
// default browser; a WinHelp file "Tallyra.hlp" in the program's folder, where one lies there,
// is opened with WinHelp instead.
#pragma once

#include <windows.h>

#include <string>

namespace tly {

// Opens topic `context` (a help-context number), or the contents for 0.
void OpenHelp(HWND owner, const std::wstring& help_file, int context);
// Tells WinHelp that the program no longer needs its help file.
void CloseHelp(HWND owner, const std::wstring& help_file);

// The page that shows topic `context` (0 for the contents) in the program's help.
std::wstring HelpPage(int context);

}  // namespace tly
