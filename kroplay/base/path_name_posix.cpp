#include "kroplay/base/path_name.h"

namespace kroplay {

const char kPathSeparators[] = "/";

}  // namespace kroplay
