#include "Modbus.h"
