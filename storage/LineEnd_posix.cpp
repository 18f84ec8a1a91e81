#include "storage/LineEnd.h"

namespace postplay {

const char* const kCfgLineEnd = "\n";

} // namespace postplay
