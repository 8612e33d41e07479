#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/run_program.h"

namespace {

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string quoted_argument(const std::string &text) {
  return "'" + text + "'";
}

ProgramRun run_program(const std::string &program, const std::string &arguments) {
  char dir[] = "/tmp/kroplay-run-XXXXXX";
  const std::string logs = mkdtemp(dir);
  const std::string command = "exec " + quoted_argument(program) + " " + arguments + " >'" + logs +
                              "/out' 2>'" + logs + "/err'";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = slurp(logs + "/out");
  run.err = slurp(logs + "/err");
  std::system(("rm -rf '" + logs + "'").c_str());
  return run;
}
