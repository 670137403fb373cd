#include "VirtualPorts.h"

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
    const QString ports = virtualPortDirectory();
    return ports.left(ports.lastIndexOf(QLatin1Char('/')));
}

// A private directory: created 0700, and refused if someone else owns it (a shared /tmp). The
// message when it cannot be had, else nothing.
std::optional<QString> makePrivateDir(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST)
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st { };
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return QStringLiteral("%1 is not a directory of this user").arg(path);
    return std::nullopt;
}

} // namespace

values::Result<QString> ensureVirtualPortDirectory()
{
    for (const QString& dir : {baseDirectory(), virtualPortDirectory()})
        if (const std::optional<QString> refused = makePrivateDir(dir))
            return values::Result<QString>::failure(*refused);
    return values::Result<QString>::of(virtualPortDirectory());
}

} // namespace tarnixw::sim
