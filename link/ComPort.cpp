#include "ComPort.h"

#include "Dialogs.h"
#include "Platform.h"

namespace tarnixw::link {

namespace {

PortOpener* g_opener = nullptr;

const QString kOpenCaption = QStringLiteral("Comm Error");
const QString kOpenText = QStringLiteral("OPEN COM ERROR!!");

QString openDetail(OpenError error, const QString& port, const std::string& reason)
{
    switch (error) {
    case OpenError::NoSuchPort:
        // A device path was named directly; Check COM finds COM numbers.
        if (!port.startsWith(QLatin1String("COM")))
            return QStringLiteral("%1 is not connected.").arg(port);
        return QStringLiteral("%1 is not connected. Use Check COM to find the cable's port.").arg(port);
    case OpenError::Busy:
        return QStringLiteral("%1 is in use by another program. Close that program and try again.").arg(port);
    case OpenError::PermissionDenied:
        return QStringLiteral("You may not use %1: add your user to the 'dialout' group "
                              "(sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(port);
    default:
        return reason.empty() ? QString() : QStringLiteral("%1: %2").arg(port, QString::fromStdString(reason));
    }
}

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

bool ComPort::OpenComPort(int portNumber, int baudIndex)
{
    CloseComPort();
    const std::optional<QString> device = comPortDevice(portNumber);
    if (!device) {
        dialogs().systemMessage(
            kOpenCaption, kOpenText, openDetail(OpenError::NoSuchPort, QStringLiteral("COM%1").arg(portNumber), {}));
        return false;
    }
    return openDevice(*device, QStringLiteral("COM%1").arg(portNumber), baudRate(baudIndex));
}

bool ComPort::OpenComPath(const QString& devicePath, int baud)
{
    CloseComPort();
    return openDevice(devicePath, devicePath, baud);
}

bool ComPort::openDevice(const QString& devicePath, const QString& label, int baud)
{
    OpenResult r = opener().open(devicePath.toStdString(), baud);
    if (r.error == OpenError::SetupFailed) {
        dialogs().systemMessage(QStringLiteral("Set Error"), QStringLiteral("COM SETUP ERROR!!!"),
            r.detail.empty() ? QString() : QString::fromStdString(r.detail));
        return false;
    }
    if (!r.port) {
        dialogs().systemMessage(kOpenCaption, kOpenText, openDetail(r.error, label, r.detail));
        return false;
    }
    m_handle = std::move(r.port);
    m_devicePath = devicePath;
    return true;
}

void ComPort::CloseComPort()
{
    if (m_handle) {
        m_handle->close();
        m_handle.reset();
    }
    m_devicePath.clear();
}

void ComPort::closeForFormClose()
{
    if (m_handle) {
        m_handle->purgeReceive();
        CloseComPort();
    }
}

} // namespace tarnixw::link
