#include <iostream>

#include "cli.h"
#include "platform.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args = tly::PrepareConsole(argc, argv);
  return tly::RunCli(args, {std::cin, std::cout, std::cerr, tly::InputIsTerminal()});
}
