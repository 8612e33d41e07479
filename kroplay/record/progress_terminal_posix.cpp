#include <unistd.h>

#include "kroplay/record/progress.h"

namespace kroplay {

bool Progress::stderr_is_terminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace kroplay
