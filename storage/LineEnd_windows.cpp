#include "storage/LineEnd.h"

namespace postplay {

const char* const kCfgLineEnd = "\r\n";

} // namespace postplay
