#include "VirtualPorts.h"

#include "link/PortList.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnixw::sim {

namespace {

// The program's own rule for the directory, without its last part ("/ports").
QString baseDirectory()
{
    const QString ports = link::virtualPortDirectory();
    return ports.left(ports.lastIndexOf(QLatin1Char('/')));
}

// A private directory: created 0700, and refused if someone else owns it (a shared /tmp).
bool makePrivateDir(const QString& path, QString* error)
{
    const QByteArray p = QFile::encodeName(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat st { };
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        if (error)
            *error = QStringLiteral("%1 is not a directory of this user").arg(path);
        return false;
    }
    return true;
}

} // namespace

QString virtualPortDirectory()
{
    return link::virtualPortDirectory();
}

std::optional<QString> ensureVirtualPortDirectory(QString* error)
{
    if (!makePrivateDir(baseDirectory(), error) || !makePrivateDir(virtualPortDirectory(), error))
        return std::nullopt;
    return virtualPortDirectory();
}

} // namespace tarnixw::sim
