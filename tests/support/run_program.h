// Runs a program the way a user at a command prompt does and captures what
// it prints: one implementation per platform (run_program_posix.cpp through
// the shell, run_program_win32.cpp through CreateProcess, also under Wine).
#ifndef WAVEFX_TESTS_SUPPORT_RUN_PROGRAM_H
#define WAVEFX_TESTS_SUPPORT_RUN_PROGRAM_H

#include <string>

struct ProgramRun {
  int status = -1;       // exit status, or 128 + signal
  std::string out, err;  // line ends as "\n"
};

// `text` as one argument on this platform's command line.
std::string quoted_argument(const std::string &text);

// Runs `program` with `arguments` (each already quoted as needed).
ProgramRun run_program(const std::string &program, const std::string &arguments);

#endif  // WAVEFX_TESTS_SUPPORT_RUN_PROGRAM_H
