#include "DeviceLine.h"

#include "link/Clock.h"
#include "link/IdSearch.h"
#include "link/PortDiscovery.h"
#include "plix/PlixModel.h"
#include "plix/PlixTransfer.h"
#include "vyr/VyrPack.h"
#include "vyr/VyrTransfer.h"

namespace tarnixw::cli {

bool parsePort(const QString& text, LineSettings& settings)
{
    // "COM" and the port's number, as the forms name it (the number read as Check COM reads it).
    if (text.size() > 3 && text.left(3).compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0) {
        const std::optional<int> n = link::trailingPortNumber(text);
        if (!n || QString::number(*n) != text.mid(3))
            return false;
        settings.portNumber = *n;
        settings.devicePath.clear();
        return true;
    }
    if (!text.contains(QLatin1Char('/')))
        return false;
    settings.portNumber = 0;
    settings.devicePath = text;
    return true;
}

std::optional<int> parseBaud(const QString& text)
{
    // The rates of the forms' BaudRate list.
    bool ok = false;
    const int baud = text.toInt(&ok);
    for (int index = 0; ok && index < 4; ++index)
        if (link::ComPort::baudRate(index) == baud)
            return baud;
    return std::nullopt;
}

DeviceLine::DeviceLine(Console& console, QString barLabel, QString operation)
    : m_console(console)
    , m_label(std::move(barLabel))
{
    m_operation.name = std::move(operation);
}

DeviceLine::~DeviceLine()
{
    close();
}

Exit DeviceLine::open(const LineSettings& settings, link::ModelBuffers& buffers)
{
    // The forms' baud table: 0 -> 9600, 1 -> 19200, 2 -> 38400, 3 -> 115200.
    int baudIndex = 0;
    while (baudIndex < 3 && link::ComPort::baudRate(baudIndex) != settings.baud)
        ++baudIndex;
    if (settings.trace)
        traceOperation(settings);
    const bool opened = settings.portNumber > 0 ? m_port.OpenComPort(settings.portNumber, baudIndex)
                                                : m_port.OpenComPath(settings.devicePath, settings.baud);
    if (!opened)
        return Exit::PortError;
    link::ModbusLink::TrafficObserver observer;
    if (settings.trace) {
        m_operation.device = m_port.devicePath();
        observer = [this](const link::Traffic& t) { m_console.note(link::formatTrafficLine(t, m_operation.startNs)); };
    }
    m_link.emplace(
        buffers, *m_port.ComHandle(), link::operationClock(),
        [this](std::optional<int> bar) {
            // Ctrl+C ends the operation here, at its next wait step.
            if (interrupted())
                m_link->cancel();
            else if (bar)
                m_console.progress(link::clampProgress(*bar), m_label);
        },
        std::move(observer));
    m_link->SlaveId = settings.slaveId;
    m_link->setFastAnswers(settings.fast);
    m_link->beginOperation();
    return Exit::Done;
}

Exit DeviceLine::close()
{
    Exit e = Exit::Done;
    if (m_link) {
        switch (m_link->stopReason()) {
        case link::StopReason::None:
            break;
        case link::StopReason::NoResponse:
            e = Exit::NoResponse;
            break;
        case link::StopReason::ResponseError:
            e = Exit::ResponseError;
            break;
        case link::StopReason::Cancelled:
            e = Exit::Interrupted;
            break;
        }
        m_link.reset();
    }
    m_port.CloseComPort();
    m_console.endProgress();
    if (interrupted())
        e = Exit::Interrupted;
    if (m_tap) {
        m_operation.messages = m_tap->texts();
        if (m_operation.messages.isEmpty())
            m_operation.messages << (e == Exit::Interrupted ? QStringLiteral("interrupted") : QStringLiteral("done"));
        m_operation.ended = true;
        m_tap.reset();
        m_console.note(link::formatOperationLine(m_operation));
    }
    return e;
}

void DeviceLine::traceOperation(const LineSettings& settings)
{
    m_operation.port = settings.portNumber > 0 ? QStringLiteral("COM%1").arg(settings.portNumber) : settings.devicePath;
    m_operation.baud = settings.baud;
    m_operation.slave = m_operation.name == QLatin1String("ID Search") ? 0 : settings.slaveId;
    m_operation.startNs = link::operationClock().nowNs();
    m_console.note(link::formatOperationLine(m_operation));
    m_tap.emplace();
}

Exit readDeviceImage(Console& console, Model model, const LineSettings& settings, std::vector<std::uint8_t>& image)
{
    link::ModelBuffers buffers = model == Model::Vyr ? link::ModelBuffers::vyr() : link::ModelBuffers::plix();
    DeviceLine line(console, QStringLiteral("Reading"), QStringLiteral("Read"));
    if (const Exit e = line.open(settings, buffers); e != Exit::Done)
        return e;
    if (model == Model::Vyr)
        vyr::readParamAreas(line.link());
    else
        plix::readBlocks(line.link());
    const Exit e = line.close();
    if (e == Exit::Done)
        image = buffers.DeviceImage;
    return e;
}

Exit writeConfig(Console& console, const Config& ready, const LineSettings& settings)
{
    // Fresh buffers: the 16 bytes after VYR area 1 go out as zeros, as from a form that has
    // not read since the program started.
    link::ModelBuffers buffers = ready.model == Model::Vyr ? link::ModelBuffers::vyr() : link::ModelBuffers::plix();
    DeviceLine line(console, QStringLiteral("Writing"), QStringLiteral("Write"));
    if (const Exit e = line.open(settings, buffers); e != Exit::Done)
        return e;
    const QString done = QStringLiteral("Write Done.");
    if (ready.model == Model::Vyr) {
        vyr::writeParamAreas(
            line.link(),
            [&](std::span<std::uint8_t> image) { return vyr::layParamArea1(image, 0, ready.vyr).has_value(); },
            [&](std::span<std::uint8_t> image) { return vyr::layParamArea2(image, 0, ready.vyr).has_value(); });
        if (!line.link().StopFlag)
            console.note(done);
    } else {
        plix::writeBlocks(
            line.link(), [&](std::span<std::uint8_t> request, int pos) { plix::layBlockA(ready.plix, request, pos); },
            [&](std::span<std::uint8_t> request, int pos) { plix::layBlockB(ready.plix, request, pos); },
            [&] { console.note(done); });
    }
    return line.close();
}

Exit searchSlaveId(Console& console, const LineSettings& settings, std::uint8_t& found)
{
    link::ModelBuffers buffers = link::ModelBuffers::vyr();
    DeviceLine line(console, QStringLiteral("Searching..."), QStringLiteral("ID Search"));
    if (const Exit e = line.open(settings, buffers); e != Exit::Done)
        return e;
    link::IdSearchUi ui;
    int candidate = 1;
    ui.showSearching = [&](int c) { candidate = c; };
    ui.setProgress = [&](int value) {
        console.progress(link::clampProgress(value), QStringLiteral("Searching... ID: %1").arg(candidate));
    };
    const std::optional<std::uint8_t> id = link::IdSearch(line.link(), ui, link::plixIdSearchProgress);
    const Exit e = line.close();
    if (e != Exit::Done)
        return e;
    if (!id)
        return Exit::NoResponse;
    found = *id;
    return Exit::Done;
}

} // namespace tarnixw::cli
