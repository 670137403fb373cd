#include "BusyGuard.h"
