#include "DiskSync.h"

#include <io.h>

namespace tarnixw::values {

bool syncToDisk(int fd)
{
    // _commit flushes the descriptor's file with FlushFileBuffers.
    return fd >= 0 && ::_commit(fd) == 0;
}

} // namespace tarnixw::values
