#include <windows.h>

#include <cstdio>
#include <vector>

#include "host_platform.h"

namespace wavefx_trace {
namespace {

// An environment variable's value in UTF-16; empty if unset.
std::wstring environment(const wchar_t *name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return L"";
  std::vector<wchar_t> value(size);
  const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  return length > 0 && length < size ? std::wstring(value.data(), length) : L"";
}

std::string utf8(const std::wstring &text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size) - 1);
  return out;
}

std::wstring wide(const std::string &text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 1) return L"";
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], size);
  out.resize(static_cast<size_t>(size) - 1);
  return out;
}

// An entry point by name; FARPROC goes through the generic function type.
template <typename Entry>
void find_entry(HMODULE handle, const char *name, Entry &entry) {
  entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

}  // namespace

bool load_real_plugin(RealPlugin &plugin, std::string &why) {
  std::wstring path = environment(L"WAVEFX_TRACE_PLUGIN");
  if (path.empty()) {
    HMODULE self = nullptr;
    wchar_t own[MAX_PATH];
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&load_real_plugin), &self) ||
        GetModuleFileNameW(self, own, MAX_PATH) == 0) {
      why = "cannot find the shim's own folder";
      return false;
    }
    path = own;
    path.erase(path.find_last_of(L"\\/") + 1);
    path += L"wavefx-real.dll";
  }
  HMODULE handle = LoadLibraryW(path.c_str());
  if (handle == nullptr) {
    why = "cannot load " + utf8(path) + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  find_entry(handle, "krolibrary", plugin.krolibrary);
  find_entry(handle, "kromain", plugin.kromain);
  find_entry(handle, "kroend", plugin.kroend);
  if (plugin.krolibrary == nullptr || plugin.kromain == nullptr || plugin.kroend == nullptr) {
    why = utf8(path) + " lacks an entry point";
    return false;
  }
  return true;
}

std::FILE *open_trace_file(const std::string &default_name, std::string &name) {
  std::wstring path = environment(L"WAVEFX_TRACE_FILE");
  if (path.empty()) path = wide(default_name);
  name = utf8(path);
  return _wfopen(path.c_str(), L"wb");
}

// The system copies, so an unmapped or protected page fails the call
// instead of faulting the game.
bool copy_host_memory(const void *from, void *to, size_t count) {
  SIZE_T copied = 0;
  return ReadProcessMemory(GetCurrentProcess(), from, to, count, &copied) && copied == count;
}

}  // namespace wavefx_trace
