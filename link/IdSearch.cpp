#include "IdSearch.h"
