#include "PosixSerialPort.h"
