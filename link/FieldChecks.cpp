#include "FieldChecks.h"
