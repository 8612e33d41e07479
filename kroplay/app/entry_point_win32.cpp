// Windows passes `char **argv` in the ANSI code page, with names outside it
// replaced by look-alikes; the wide arguments are converted to UTF-8
// instead (linked with -municode). An argument that is not valid UTF-16 is
// refused rather than replaced.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "kroplay/app/entry_point.h"
#include "kroplay/base/exit_status.h"

int wmain(int argc, wchar_t **argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const int length = static_cast<int>(std::wcslen(argv[i]));
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argv[i], length, nullptr,
                                          0, nullptr, nullptr);
    if (length > 0 && bytes == 0) {
      std::fprintf(stderr, "kroplay: argument %d is not valid Unicode (see kroplay --help)\n", i);
      return kroplay::kExitBadUsage;
    }
    std::string argument(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[i], length, &argument[0], bytes, nullptr, nullptr);
    arguments.push_back(std::move(argument));
  }
  return run_kroplay(arguments);
}
