// Windows: a console program started from Explorer gets a new console, in
// which it is the only process; started from cmd.exe, PowerShell or another
// program's console it shares that console with its parent. Under Wine,
// from a Unix shell, there is no Windows console at all (no process listed).
#include <windows.h>

#include <atomic>
#include <thread>

#include "kroplay/app/desktop_start.h"
#include "kroplay/output/wide_names_win32.h"

namespace kroplay {
namespace {

constexpr UINT kErrorBoxStyle = MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST;

// A message box with `message`, wide: it shows any name on any Windows.
void show_box(const std::string &message) {
  std::wstring text;
  if (wide_name(message, text))
    MessageBoxW(nullptr, text.c_str(), L"kroplay", kErrorBoxStyle);
  else
    MessageBoxA(nullptr, message.c_str(), "kroplay", kErrorBoxStyle);
}

// A box shown by show_error_box_later is open.
std::atomic<bool> later_box_open{false};

}  // namespace

bool leave_desktop_console() {
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) != 1) return false;
  FreeConsole();
  return true;
}

void show_error_box(const std::string &message) {
  show_box(message);
}

void show_error_box_later(const std::string &message) {
  if (later_box_open.exchange(true)) return;
  // Its own thread, so the preview goes on while the box is open; the
  // process ending closes it.
  std::thread([message] {
    show_box(message);
    later_box_open = false;
  }).detach();
}

}  // namespace kroplay
