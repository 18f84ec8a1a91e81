// STUB: replaced by the simulated host work.
#include "sim/Host.h"
