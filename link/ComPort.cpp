#include "ComPort.h"
