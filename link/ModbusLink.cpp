#include "ModbusLink.h"
