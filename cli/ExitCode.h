#pragma once

namespace tarnixw::cli {

// The exit codes of tarnixw-cli, one per kind of outcome, so a script can tell them apart.
enum class Exit {
    Done = 0,
    Differences = 1, // diff found differences, or write --verify read back other values
    Usage = 2, // the command line itself is wrong
    NoResponse = 3, // the device did not answer, or the ID search found no device
    ResponseError = 4, // the device answered, but not as expected
    PortError = 5, // the port cannot be opened or set up
    FileError = 6, // a file cannot be read or written, or is no configuration file
    Invalid = 7, // the configuration is not valid, or not fit to be written
    Interrupted = 130, // Ctrl+C
};

inline int code(Exit e)
{
    return static_cast<int>(e);
}

} // namespace tarnixw::cli
