#pragma once

#include "NetAddress.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tarnixw::link {

// The network ports the user names in a plain text file, one a line: a name, an address and
// optionally "window=MS" (comments start with #):
//
//     # name      address                          options
//     plant-a     socket://192.168.10.20:4001
//     gateway     tcp://gw.plant.local             window=500
//
// The file is the user's own; the program only reads it. It lives at
// $XDG_CONFIG_HOME/tarnixw/network-ports.txt (~/.config/...) on Linux and at
// %APPDATA%\Tarnixw\network-ports.txt on Windows; TARNIXW_NETWORK_PORTS names another.
struct NetworkPort {
    QString name;
    NetAddress address;
};

struct NetworkPortFile {
    std::vector<NetworkPort> ports;
    QStringList problems; // "line 3: ...", one for each line that names no port
};

// Where the file is looked for.
QString networkPortsFile();
// The ports of the file's text, in its order; a name given twice counts once (the first).
NetworkPortFile parseNetworkPorts(const QString& text);
// The ports of the file at `path` (none, no problem, when there is no such file).
NetworkPortFile readNetworkPorts(const QString& path);

} // namespace tarnixw::link
