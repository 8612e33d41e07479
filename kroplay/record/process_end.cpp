#include "kroplay/record/process_end.h"

#include <unistd.h>

#include "kroplay/output/temp_file.h"
#include "kroplay/record/progress.h"
#include "kroplay/script/child_processes.h"

namespace kroplay {

void end_process_now(const char *line, int status) {
  end_child_processes();
  remove_pending_temp_file();
  report_stop(line);
  _exit(status);
}

}  // namespace kroplay
