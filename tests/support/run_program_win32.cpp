#include <windows.h>

#include <string>
#include <vector>

#include "support/run_program.h"

namespace {

// An inheritable temporary file for one of the child's output streams.
HANDLE temporary_file() {
  char folder[MAX_PATH], name[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, "krp", 0, name);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                     nullptr);
}

// The file's contents with CR LF line ends made "\n"; closes it.
std::string read_and_close(HANDLE file) {
  std::string text;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char buffer[4096];
  DWORD n;
  while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(file);
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

}  // namespace

std::string quoted_argument(const std::string &text) {
  return "\"" + text + "\"";
}

ProgramRun run_program(const std::string &program, const std::string &arguments) {
  ProgramRun run;
  const HANDLE out = temporary_file(), err = temporary_file();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  // The command line is UTF-8, passed on wide: names outside the ANSI code
  // page arrive as they are.
  const std::string line = quoted_argument(program) + " " + arguments;
  std::vector<wchar_t> command(line.size() + 1);
  MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, command.data(),
                      static_cast<int>(command.size()));
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  run.out = read_and_close(out);
  run.err = read_and_close(err);
  return run;
}
