#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/windows/Wide.h"
#include "support/RunTavisko.h"

namespace tvk::test {
namespace {

// One argument quoted as the C runtime splits command lines.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  std::size_t slashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace

RunResult RunTavisko(const std::vector<std::string>& args, const std::string& scratchFolder) {
  using platform::windows::WidePath;
  using platform::windows::Widen;
  RunResult run;
  std::wstring command = Quoted(WidePath(TAVISKO_EXE_PATH));
  for (const std::string& arg : args) command += L" " + Quoted(Widen(arg));
  const std::string errPath = scratchFolder + "/stderr.txt";

  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readOut = nullptr;
  HANDLE writeOut = nullptr;
  if (CreatePipe(&readOut, &writeOut, &inherit, 0) == 0) return run;
  SetHandleInformation(readOut, HANDLE_FLAG_INHERIT, 0);
  const HANDLE err = CreateFileW(WidePath(errPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeOut;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(writeOut);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (started) {
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(readOut, chunk, sizeof chunk, &n, nullptr) != 0 && n > 0) run.out.append(chunk, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code) != 0) run.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readOut);
  std::ifstream errFile(std::filesystem::path(WidePath(errPath)), std::ios::binary);
  run.err.assign(std::istreambuf_iterator<char>(errFile), {});
  return run;
}

}  // namespace tvk::test
