#include "ComPort.h"

#include "NetPort.h"
#include "Platform.h"

namespace tarnixw::link {

namespace {
PortOpener* g_opener = nullptr;
} // namespace

int ComPort::baudRate(int baudIndex)
{
    switch (baudIndex) {
    case 0:
        return 9600;
    case 2:
        return 38400;
    case 3:
        return 115200;
    default:
        return 19200;
    }
}

PortOpener& ComPort::opener()
{
    return g_opener ? *g_opener : systemPortOpener();
}

PortOpener* ComPort::setOpener(PortOpener* opener)
{
    PortOpener* before = g_opener;
    g_opener = opener;
    return before;
}

OpenOutcome ComPort::openNumbered(int number, int baud, const std::function<bool()>& stop)
{
    close();
    QString label = QStringLiteral("COM%1").arg(number);
    const std::optional<QString> device = comPortDevice(number);
    if (!device)
        return {OpenError::NoSuchPort, {}, label};
    // A network port is named with its address wherever it is told of.
    if (looksLikeNetAddress(*device))
        label += QStringLiteral(" (%1)").arg(*device);
    return openDevice(*device, label, baud, stop);
}

OpenOutcome ComPort::openPath(const QString& devicePath, int baud, const std::function<bool()>& stop)
{
    close();
    return openDevice(devicePath, devicePath, baud, stop);
}

OpenOutcome ComPort::openDevice(
    const QString& devicePath, const QString& label, int baud, const std::function<bool()>& stop)
{
    OpenResult r;
    if (looksLikeNetAddress(devicePath)) {
        const values::Result<NetAddress> address = parseNetAddress(devicePath);
        if (!address.ok())
            return {OpenError::Other, address.error.toStdString(), label};
        r = openNetworkPort(*address.value, baud, stop);
    } else {
        r = opener().open(devicePath.toStdString(), baud);
    }
    if (!r.port)
        return {r.error == OpenError::None ? OpenError::Other : r.error, r.detail, label};
    m_handle = std::move(r.port);
    m_devicePath = devicePath;
    return {OpenError::None, {}, label};
}

void ComPort::close()
{
    if (m_handle) {
        m_handle->close();
        m_handle.reset();
    }
    m_devicePath.clear();
}

void ComPort::closeWithForm()
{
    if (m_handle) {
        m_handle->purgeReceive();
        close();
    }
}

} // namespace tarnixw::link
