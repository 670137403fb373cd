#include "PortList.h"

#include "Platform.h"
#include "PosixSerialPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace tarnixw::link {

namespace {

std::int64_t ns(const timespec& t)
{
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

QString readLine(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readLine()).trimmed();
}

// A tty backed by real hardware has a driver. The serial core also lists placeholder UARTs
// with no port behind them: their type is 0. Which driver the tty's device shows differs
// between kernels (serial8250 on 5.x, the serial core's "port" on 6.x), so the type decides
// wherever the tty has one.
bool isHardwareSerial(const QString& ttyDir)
{
    if (!QFileInfo::exists(ttyDir + QStringLiteral("/device/driver")))
        return false;
    const QString typePath = ttyDir + QStringLiteral("/type");
    const QString type = readLine(typePath);
    return !QFileInfo::exists(typePath) || !(type.isEmpty() || type == QLatin1String("0"));
}

// A USB serial adapter's tty sits below its USB device, whose directory names the vendor and
// product: the interface (ttyACM) or the interface and the usb-serial port (ttyUSB) lie
// between them.
void describeUsb(const QString& ttyDir, PortEntry& e)
{
    QString dir = QFileInfo(ttyDir + QStringLiteral("/device")).canonicalFilePath();
    for (int up = 0; up < 4 && !dir.isEmpty(); ++up) {
        if (QFileInfo::exists(dir + QStringLiteral("/idVendor"))) {
            e.kind = PortKind::Usb;
            e.usbId = readLine(dir + QStringLiteral("/idVendor")) + QLatin1Char(':')
                + readLine(dir + QStringLiteral("/idProduct"));
            e.usbVendor = readLine(dir + QStringLiteral("/manufacturer"));
            e.usbProduct = readLine(dir + QStringLiteral("/product"));
            e.usbSerial = readLine(dir + QStringLiteral("/serial"));
            return;
        }
        const qsizetype slash = dir.lastIndexOf(QLatin1Char('/'));
        dir = slash > 0 ? dir.left(slash) : QString();
    }
}

} // namespace

QString virtualPortDirectory()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/tarnixw/ports");
    return QStringLiteral("/tmp/tarnixw-%1/ports").arg(getuid());
}

std::vector<PortEntry> PortList::scan(bool& ok) const
{
    std::vector<PortEntry> out;
    ok = true;

    // udev names each USB adapter by what it tells of itself: those names stay with it.
    QHash<QString, QString> byIdNames; // device -> by-id name
    const QDir byId(m_sources.serialById);
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (link.isSymLink())
            byIdNames.insert(QFileInfo(link.symLinkTarget()).canonicalFilePath(), link.fileName());

    const QDir tty(m_sources.sysClassTty);
    if (!tty.exists()) {
        ok = false;
    } else {
        const QStringList names = tty.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
        for (const QString& name : names) {
            if (!isHardwareSerial(tty.filePath(name)))
                continue;
            const QString node = m_sources.devDir + QLatin1Char('/') + name;
            struct stat st { };
            if (::stat(QFile::encodeName(node).constData(), &st) != 0)
                continue;
            PortEntry e;
            e.deviceName = QStringLiteral("\\Device\\") + name;
            e.devicePath = node;
            e.appearedNs = ns(st.st_ctim);
            e.stableName = byIdNames.value(QFileInfo(node).canonicalFilePath(), name);
            describeUsb(tty.filePath(name), e);
            out.push_back(e);
        }
    }

    const QString vdir = m_sources.virtualDir.isEmpty() ? virtualPortDirectory() : m_sources.virtualDir;
    const QDir virt(vdir);
    const QStringList links = virt.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    for (const QString& name : links) {
        const QString path = virt.filePath(name);
        const QFileInfo fi(path);
        if (!fi.isSymLink() || !QFileInfo::exists(fi.symLinkTarget()))
            continue; // only links whose target exists are ports
        // A link to a listed hardware port is a name for that port, not a port of its own: the
        // port shows once, as the hardware it is, under the name the link gives it (the name
        // someone chose for it, and scripts use).
        const QString device = fi.canonicalFilePath();
        const auto hardware = std::find_if(out.begin(), out.end(), [&](const PortEntry& e) {
            return e.kind != PortKind::Virtual && QFileInfo(e.devicePath).canonicalFilePath() == device;
        });
        if (hardware != out.end()) {
            if (hardware->linkPath.isEmpty()) {
                hardware->hardwareName = hardware->stableName;
                hardware->stableName = name;
                hardware->linkPath = path;
            }
            continue;
        }
        struct stat st { };
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        PortEntry e;
        e.deviceName = QStringLiteral("\\Device\\") + name;
        e.devicePath = fi.symLinkTarget();
        e.appearedNs = ns(st.st_mtim);
        e.kind = PortKind::Virtual;
        e.linkPath = path;
        e.stableName = name;
        out.push_back(e);
    }

    std::sort(out.begin(), out.end(), [](const PortEntry& a, const PortEntry& b) {
        return std::tie(a.appearedNs, a.deviceName) < std::tie(b.appearedNs, b.deviceName);
    });
    // A link named like a listed port shows once, as the port that appeared first.
    std::set<QString> seen;
    std::erase_if(out, [&](const PortEntry& e) { return !seen.insert(e.deviceName).second; });
    return out;
}

PortOpener& systemPortOpener()
{
    static PosixPortOpener posix;
    return posix;
}

std::optional<QString> comPortDevice(int portNumber)
{
    // COM0 and negative numbers name no port; the list is read afresh so a port plugged in a
    // moment ago is found.
    const std::optional<PortEntry> entry = portNumber > 0 ? PortList::system().find(portNumber) : std::nullopt;
    return entry ? std::optional<QString>(entry->devicePath) : std::nullopt;
}

} // namespace tarnixw::link
