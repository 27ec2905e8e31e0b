// Windows console: UTF-8 output, UTF-16 arguments, and input read as bytes, so that a
// Ctrl+Z or a lone CR inside a line reaches the formula as the character it is.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "platform.h"
#include "utf8.h"

namespace tly {

std::vector<std::string> PrepareConsole(int, char**) {
  SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdin), _O_BINARY);
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) {
    std::u16string_view arg(reinterpret_cast<const char16_t*>(argv[i]));
    args.push_back(Utf16ToUtf8(arg));
  }
  LocalFree(argv);
  return args;
}

bool InputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

}  // namespace tly
