#include "VirtualPorts.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnixw::sim {

namespace {

QString baseDirectory()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/tarnixw");
    return QStringLiteral("/tmp/tarnixw-%1").arg(::getuid());
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
    struct stat st{};
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        if (error)
            *error = QStringLiteral("%1 is not a directory of this user").arg(path);
        return false;
    }
    return true;
}

} // namespace

QString virtualPortDirectory() { return baseDirectory() + QStringLiteral("/ports"); }

std::optional<QString> ensureVirtualPortDirectory(QString* error)
{
    if (!makePrivateDir(baseDirectory(), error) || !makePrivateDir(virtualPortDirectory(), error))
        return std::nullopt;
    return virtualPortDirectory();
}

} // namespace tarnixw::sim
