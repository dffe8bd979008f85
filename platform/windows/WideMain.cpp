// The command line's entry on Windows: arguments arrive as UTF-16 and go to main as UTF-8, as every
// path inside the engine is; standard output is binary, so output bytes match the Linux program's.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/windows/Wide.h"

int TaviskoMain(int argc, char** argv);

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(tvk::platform::windows::Narrow(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return TaviskoMain(argc, pointers.data());
}
