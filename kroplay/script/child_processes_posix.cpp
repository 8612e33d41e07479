#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <lua.hpp>

#include "kroplay/script/child_processes.h"
#include "kroplay/script/lua_guards.h"

extern char **environ;

namespace kroplay {
namespace {

// Child processes running at once; io.popen and os.execute refuse more.
constexpr int kMaxChildren = 64;

// Each running child's process (and group) id; 0 marks a free slot, -1 one
// being filled. Read by end_child_processes from any thread or a signal
// handler; written by the script's thread only.
std::atomic<pid_t> children[kMaxChildren];
// The stream io.popen returned for the child in the same slot.
std::FILE *streams[kMaxChildren];

std::atomic<bool> output_to_stderr{false};

int reserve_slot() {
  for (int i = 0; i < kMaxChildren; ++i) {
    pid_t free = 0;
    if (children[i].compare_exchange_strong(free, -1)) return i;
  }
  return -1;
}

// Starts `sh -c command` in a process group of its own, its standard
// input from `input` and output to `output` (-1: kroplay's). Returns the
// slot it holds, or -1 with errno.
int spawn_shell(const char *command, int input, int output) {
  const int slot = reserve_slot();
  if (slot < 0) {
    errno = EAGAIN;
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  if (input >= 0) posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  if (output >= 0)
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  else if (output_to_stderr)
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  // Signals kroplay ignores are the child's to handle as usual.
  sigset_t defaults, none;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGXFSZ);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  char shell[] = "/bin/sh", dash_c[] = "-c";
  char *const arguments[] = {shell, dash_c, const_cast<char *>(command), nullptr};
  pid_t pid = 0;
  const int error = posix_spawn(&pid, shell, &actions, &attributes, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    children[slot] = 0;
    errno = error;
    return -1;
  }
  children[slot] = pid;
  return slot;
}

// Waits for the child in `slot` to end and frees the slot; its wait status.
int wait_for(int slot) {
  int status = 0;
  while (waitpid(children[slot], &status, 0) < 0 && errno == EINTR) {
  }
  streams[slot] = nullptr;
  children[slot] = 0;
  return status;
}

// os.execute([command])
int execute(lua_State *lua) {
  const char *command = luaL_optstring(lua, 1, nullptr);
  if (command == nullptr) {
    lua_pushboolean(lua, 1);  // a shell is there
    return 1;
  }
  const int slot = spawn_shell(command, -1, -1);
  if (slot < 0) return luaL_fileresult(lua, 0, nullptr);
  const int status = wait_for(slot);
  errno = 0;
  return luaL_execresult(lua, status);
}

// The close function of a stream io.popen returned.
int close_pipe(lua_State *lua) {
  luaL_Stream *stream = static_cast<luaL_Stream *>(luaL_checkudata(lua, 1, LUA_FILEHANDLE));
  int slot = 0;
  while (slot < kMaxChildren && streams[slot] != stream->f) ++slot;
  std::fclose(stream->f);
  if (slot == kMaxChildren) return luaL_fileresult(lua, 0, nullptr);
  const int status = wait_for(slot);
  errno = 0;
  return luaL_execresult(lua, status);
}

// io.popen(command [, mode])
int popen(lua_State *lua) {
  const char *command = luaL_checkstring(lua, 1);
  const char *mode = luaL_optstring(lua, 2, "r");
  luaL_argcheck(lua, (mode[0] == 'r' || mode[0] == 'w') && mode[1] == '\0', 2, "invalid mode");
  const bool reading = mode[0] == 'r';
  // The stream exists before the child, so that running out of memory
  // leaves no child behind.
  luaL_Stream *stream = static_cast<luaL_Stream *>(lua_newuserdatauv(lua, sizeof(luaL_Stream), 0));
  stream->f = nullptr;
  stream->closef = nullptr;  // closed, until the child runs
  luaL_setmetatable(lua, LUA_FILEHANDLE);
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return luaL_fileresult(lua, 0, command);
  const int ours = reading ? ends[0] : ends[1], theirs = reading ? ends[1] : ends[0];
  const int slot = reading ? spawn_shell(command, -1, theirs) : spawn_shell(command, theirs, -1);
  const int error = errno;
  close(theirs);
  if (slot < 0) {
    close(ours);
    errno = error;
    return luaL_fileresult(lua, 0, command);
  }
  stream->f = fdopen(ours, mode);
  if (stream->f == nullptr) {
    close(ours);
    kill(-children[slot], SIGKILL);
    wait_for(slot);
    errno = ENOMEM;
    return luaL_fileresult(lua, 0, command);
  }
  streams[slot] = stream->f;
  stream->closef = close_pipe;
  return 1;
}

}  // namespace

void keep_child_processes(lua_State *lua) {
  replace_library_function(lua, "os", "execute", execute);
  replace_library_function(lua, "io", "popen", popen);
}

void send_child_output_to_stderr(bool to_stderr) {
  output_to_stderr = to_stderr;
}

void end_child_processes() {
  for (auto &child : children) {
    const pid_t pid = child.load();
    if (pid > 0) kill(-pid, SIGKILL);
  }
}

}  // namespace kroplay
