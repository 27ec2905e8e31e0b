// What the CLI needs from the operating system.
#pragma once

#include <string>
#include <vector>

namespace tly {

// Prepares the console for UTF-8 and returns the arguments after the program name, in UTF-8.
std::vector<std::string> PrepareConsole(int argc, char** argv);

bool InputIsTerminal();

}  // namespace tly
