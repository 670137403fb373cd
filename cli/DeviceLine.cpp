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

namespace {

// What the user can do about a port that did not open.
QString openDetail(const link::OpenOutcome& o)
{
    switch (o.error) {
    case link::OpenError::NoSuchPort:
        if (!o.port.startsWith(QLatin1String("COM")))
            return QStringLiteral("%1 is not connected.").arg(o.port);
        return QStringLiteral("%1 is not connected. Use Check COM to find the cable's port.").arg(o.port);
    case link::OpenError::Busy:
        return QStringLiteral("%1 is in use by another program. Close that program and try again.").arg(o.port);
    case link::OpenError::PermissionDenied:
        return QStringLiteral("You may not use %1: add your user to the 'dialout' group "
                              "(sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(o.port);
    default:
        return o.detail.empty() ? QString() : QStringLiteral("%1: %2").arg(o.port, QString::fromStdString(o.detail));
    }
}

} // namespace

DeviceLine::DeviceLine(Console& console, QString barLabel, QString operation)
    : m_console(console)
    , m_label(std::move(barLabel))
    , m_operation(std::move(operation))
{ }

DeviceLine::~DeviceLine()
{
    close();
}

void DeviceLine::appended()
{
    if (m_trace)
        m_console.note(m_log.lineAt(m_log.size() - 1));
}

void DeviceLine::tell(const QString& text)
{
    if (m_session)
        m_session->noteMessage(text);
    m_console.note(text);
}

Exit DeviceLine::open(const LineSettings& settings, link::ModelBuffers& buffers)
{
    m_trace = settings.trace;
    m_log.setView(this);
    m_session.emplace(m_port, buffers, m_log);
    link::DeviceSession::Setup setup;
    setup.operation = m_operation;
    setup.portNumber = settings.portNumber;
    setup.devicePath = settings.devicePath;
    setup.baud = settings.baud;
    if (m_operation != QLatin1String("ID Search"))
        setup.slave = settings.slaveId;
    setup.fastAnswers = settings.fast;
    setup.stepHook = [this](std::optional<int> bar) {
        // Ctrl+C ends the operation here, at its next wait step.
        if (interrupted())
            m_session->link()->cancel();
        else if (bar)
            m_console.progress(link::clampProgress(*bar), m_label);
    };
    setup.onStop = [this](link::StopReason failure, const link::Exchanges&) {
        m_console.endProgress();
        tell(failure == link::StopReason::ResponseError ? QStringLiteral("Response Error !!")
                                                        : QStringLiteral("Device No Response !!"));
    };
    const link::OpenOutcome& opened = m_session->open(std::move(setup));
    if (!opened.ok()) {
        const bool setupFailed = opened.error == link::OpenError::SetupFailed;
        const QString text = setupFailed ? QStringLiteral("COM SETUP ERROR!!!") : QStringLiteral("OPEN COM ERROR!!");
        m_session->noteMessage(text);
        const QString detail = setupFailed ? QString::fromStdString(opened.detail) : openDetail(opened);
        m_console.note(detail.isEmpty() ? text : text + QLatin1Char('\n') + detail);
        return Exit::PortError;
    }
    // The ID search probes every id itself.
    m_session->start(
        m_operation == QLatin1String("ID Search") ? std::nullopt : std::optional<std::uint8_t>(settings.slaveId));
    return Exit::Done;
}

Exit DeviceLine::close()
{
    if (m_closed || !m_session)
        return Exit::Done;
    m_closed = true;
    m_session->closePort();
    m_console.endProgress();
    const link::Outcome outcome = m_session->outcome();
    Exit e = Exit::Done;
    switch (outcome.kind) {
    case link::Outcome::Kind::NotOpened:
        e = Exit::PortError;
        break;
    case link::Outcome::Kind::Stopped:
        e = outcome.exchanges.reason == link::StopReason::ResponseError ? Exit::ResponseError : Exit::NoResponse;
        break;
    case link::Outcome::Kind::Cancelled:
        e = Exit::Interrupted;
        break;
    default:
        break;
    }
    if (interrupted())
        e = Exit::Interrupted;
    if (link::TrafficOperation* op = m_log.current(); op && op->messages.isEmpty())
        op->messages << (e == Exit::Interrupted ? QStringLiteral("interrupted") : QStringLiteral("done"));
    m_session->finish();
    if (m_trace)
        m_console.note(m_log.lineAt(0));
    return e;
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
        if (!line.link().StopFlag())
            line.tell(done);
    } else {
        plix::writeBlocks(
            line.link(), [&](std::span<std::uint8_t> request, int pos) { plix::layBlockA(ready.plix, request, pos); },
            [&](std::span<std::uint8_t> request, int pos) { plix::layBlockB(ready.plix, request, pos); },
            [&] { line.tell(done); });
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
    ui.setFoundId = [&](int id) { line.tell(QStringLiteral("ID  =  %1").arg(id)); };
    const std::optional<std::uint8_t> id = link::IdSearch(line.link(), ui, link::plixIdSearchProgress);
    if (!id && !line.link().cancelled())
        line.tell(QStringLiteral("Can not Find Device ID !!"));
    const Exit e = line.close();
    if (e != Exit::Done)
        return e;
    if (!id)
        return Exit::NoResponse;
    found = *id;
    return Exit::Done;
}

} // namespace tarnixw::cli
