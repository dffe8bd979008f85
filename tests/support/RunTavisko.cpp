#include "support/RunTavisko.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tvk::test {

RunResult RunTavisko(const std::vector<std::string>& args, const std::string& scratchFolder) {
  const std::string errPath = scratchFolder + "/stderr.txt";
  std::string command = std::string("'") + TAVISKO_EXE_PATH + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " 2>'" + errPath + "'";
  RunResult run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> chunk{};
  while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe)) run.out.append(chunk.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errPath);
  run.err.assign(std::istreambuf_iterator<char>(err), {});
  return run;
}

}  // namespace tvk::test
