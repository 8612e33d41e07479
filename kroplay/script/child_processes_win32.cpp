#include <io.h>
#include <windows.h>

#include <lua.hpp>

#include "kroplay/script/child_processes.h"
#include "kroplay/script/lua_guards.h"

namespace kroplay {
namespace {

// Lua's own os.execute and io.popen, called straight from C.
lua_CFunction lua_execute = nullptr;
lua_CFunction lua_popen = nullptr;

// The job kroplay and every process it starts run in; null if Windows
// refused one.
HANDLE job = nullptr;

bool output_to_stderr = false;

// Puts kroplay in a job whose processes end when the job is ended or
// kroplay's last handle to it closes, at its exit.
void join_job() {
  if (job != nullptr) return;
  job = CreateJobObjectA(nullptr, nullptr);
  if (job == nullptr) return;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
      !AssignProcessToJobObject(job, GetCurrentProcess())) {
    CloseHandle(job);
    job = nullptr;
  }
}

// Calls `original` on the caller's stack with standard output sent to
// stderr when it carries data: the children it starts inherit both the
// C runtime's descriptor 1 and the process's standard output handle.
int with_child_output(lua_State *lua, lua_CFunction original) {
  join_job();
  if (!output_to_stderr) return original(lua);
  const int saved = _dup(1);
  const HANDLE saved_handle = GetStdHandle(STD_OUTPUT_HANDLE);
  _dup2(2, 1);
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
  // Protected, so that standard output is restored whatever happens.
  lua_pushcfunction(lua, original);
  lua_insert(lua, 1);
  const int status = lua_pcall(lua, lua_gettop(lua) - 1, LUA_MULTRET, 0);
  SetStdHandle(STD_OUTPUT_HANDLE, saved_handle);
  if (saved >= 0) {
    _dup2(saved, 1);
    _close(saved);
  }
  if (status != LUA_OK) return lua_error(lua);
  return lua_gettop(lua);
}

int execute(lua_State *lua) {
  return with_child_output(lua, lua_execute);
}

int popen(lua_State *lua) {
  return with_child_output(lua, lua_popen);
}

}  // namespace

void keep_child_processes(lua_State *lua) {
  lua_execute = replace_library_function(lua, "os", "execute", execute);
  lua_popen = replace_library_function(lua, "io", "popen", popen);
}

void send_child_output_to_stderr(bool to_stderr) {
  output_to_stderr = to_stderr;
}

void end_child_processes() {
  if (job == nullptr) return;
  // Every process of the job but kroplay, which ends on its own.
  struct {
    JOBOBJECT_BASIC_PROCESS_ID_LIST list;
    ULONG_PTR more[255];
  } ids{};
  ids.list.NumberOfAssignedProcesses = 256;
  if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr) &&
      GetLastError() != ERROR_MORE_DATA)
    return;
  const DWORD self = GetCurrentProcessId();
  for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && i < 256; ++i) {
    const DWORD id = static_cast<DWORD>(ids.list.ProcessIdList[i]);
    if (id == self) continue;
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
    if (process == nullptr) continue;
    TerminateProcess(process, 1);
    CloseHandle(process);
  }
}

}  // namespace kroplay
