#include "DiskSync.h"

#include <unistd.h>

namespace tarnixw::values {

bool syncToDisk(int fd)
{
    return fd >= 0 && ::fsync(fd) == 0;
}

} // namespace tarnixw::values
