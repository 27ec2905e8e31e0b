#include <unistd.h>

#include "platform.h"

namespace tly {

std::vector<std::string> PrepareConsole(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool InputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

}  // namespace tly
