#pragma once

namespace tarnixw::values {

// Hands the data written through an open C file descriptor to the disk before returning
// (fsync; on Windows FlushFileBuffers through _commit). One implementation file per platform.
bool syncToDisk(int fd);

} // namespace tarnixw::values
