#include "DeviceLine.h"

#include "Words.h"

#include "link/Clock.h"
#include "link/IdSearch.h"
#include "link/NetAddress.h"
#include "link/PortDiscovery.h"
#include "link/PortList.h"
#include "words/Words.h"

namespace tarnixw::cli {

bool parsePort(const QString& text, LineSettings& settings, QString* why)
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
    settings.portNumber = 0;
    // A network address (socket://, rfc2217://, tcp://), checked now so a typing error is told
    // before anything starts.
    if (link::looksLikeNetAddress(text)) {
        const values::Result<link::NetAddress> address = link::parseNetAddress(text);
        if (!address.ok() && why)
            *why = address.error;
        settings.devicePath = address.ok() ? address.value->text() : QString();
        return address.ok();
    }
    if (text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'))) {
        settings.devicePath = text;
        return true;
    }
    // A port's stable name, as 'ports' shows it.
    const auto entries = link::PortList::system().refresh();
    if (!entries)
        return false;
    for (const link::PortEntry& e : *entries)
        if (!text.isEmpty() && (e.stableName == text || e.hardwareName == text) && !e.devicePath.isEmpty()) {
            settings.devicePath = e.devicePath;
            return true;
        }
    return false;
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

DeviceLine::DeviceLine(Console& console, QString barLabel, QString operation, Target target)
    : m_console(console)
    , m_label(std::move(barLabel))
    , m_operation(std::move(operation))
    , m_target(target)
{ }

DeviceLine::~DeviceLine()
{
    close();
}

void DeviceLine::appended()
{
    if (m_trace)
        m_console.raw(m_log.lineAt(m_log.size() - 1));
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
    // The ID search probes every id itself: no slave is named.
    const std::optional<std::uint8_t> slave
        = m_target == Target::EveryId ? std::nullopt : std::optional<std::uint8_t>(settings.slaveId);
    link::DeviceSession::Setup setup;
    setup.operation = m_operation;
    setup.portNumber = settings.portNumber;
    setup.devicePath = settings.devicePath;
    setup.baud = settings.baud;
    setup.slave = slave;
    setup.fastAnswers = settings.fast;
    setup.interrupted = interrupted;
    setup.stepHook = [this](std::optional<int> bar) {
        // Ctrl+C ends the operation here, at its next wait step.
        if (interrupted())
            m_session->link()->cancel();
        else if (bar)
            m_console.progress(link::clampProgress(*bar), m_label);
    };
    // A COM number is the run's own: say which port it is before anything goes on the line.
    if (settings.portNumber > 0)
        if (const std::optional<link::PortEntry> entry = link::PortList::system().find(settings.portNumber))
            m_console.note(entry->stableName.isEmpty() || entry->stableName == entry->portName
                    ? Words::cliComPortIs(entry->portName, entry->devicePath)
                    : Words::cliComPortIsNamed(entry->portName, entry->stableName, entry->devicePath));
    const link::OpenOutcome& opened = m_session->open(std::move(setup));
    if (!opened.ok() && interrupted()) { // Ctrl+C while a network port connected
        tell(Words::cliInterrupted());
        return Exit::Interrupted;
    }
    if (!opened.ok()) {
        tell(openFailure(opened));
        return Exit::PortError;
    }
    m_session->start(slave);
    return Exit::Done;
}

Exit DeviceLine::close(const Addendum& addendum, const QString& whenDone)
{
    if (m_closed || !m_session)
        return Exit::Done;
    m_closed = true;
    m_session->closePort();
    m_console.endProgress();
    const link::Outcome outcome = m_session->outcome();
    Exit e = Exit::Done;
    if (outcome.kind == link::Outcome::Kind::NotOpened)
        e = Exit::PortError;
    else if (outcome.kind == link::Outcome::Kind::Stopped)
        e = outcome.exchanges.reason == link::StopReason::ResponseError ? Exit::ResponseError : Exit::NoResponse;
    if (interrupted() || outcome.kind == link::Outcome::Kind::Cancelled)
        e = Exit::Interrupted;
    // One message for the fault, however many steps failed: what happened, then what it left.
    if (e == Exit::NoResponse || e == Exit::ResponseError || e == Exit::Interrupted) {
        QString text = e == Exit::Interrupted ? Words::cliInterrupted() : stopFailure(outcome.exchanges);
        if (addendum)
            if (const QString more = addendum(outcome); !more.isEmpty())
                text += QLatin1Char(' ') + more;
        tell(text);
    } else if (e == Exit::Done && !whenDone.isEmpty()) {
        // Recorded, but not on the console with --quiet.
        m_session->noteMessage(whenDone);
        m_console.success(whenDone);
    }
    if (link::TrafficOperation* op = m_log.current(); op && op->messages.isEmpty())
        op->messages << Words::cliOperationDone();
    m_session->finish();
    if (m_trace)
        m_console.raw(m_log.lineAt(0));
    return e;
}

Exit readDeviceImage(Console& console, const DeviceModel& model, const LineSettings& settings,
    std::vector<std::uint8_t>& image, const QString& whenStopped)
{
    link::ModelBuffers buffers = model.buffers();
    DeviceLine line(console, Words::cliReading(), Words::readOperation());
    if (const Exit e = line.open(settings, buffers); e != Exit::Done)
        return e;
    model.read(line.link());
    const Exit e = line.close([&](const link::Outcome&) { return whenStopped; });
    if (e == Exit::Done)
        image = buffers.DeviceImage;
    return e;
}

Exit writeConfig(Console& console, const Configuration& ready, const LineSettings& settings)
{
    // Fresh buffers: bytes a Write sends that no value holds go out as zeros, as from a form
    // that has not read since the program started.
    link::ModelBuffers buffers = ready.model->buffers();
    DeviceLine line(console, Words::cliWriting(), Words::writeOperation());
    if (const Exit e = line.open(settings, buffers); e != Exit::Done)
        return e;
    ready.model->write(line.link(), ready);
    // "Write Done." only when every step was answered, a closing one included.
    return line.close([&](const link::Outcome& outcome) { return writtenState(ready, outcome.exchanges.answered); },
        Words::writeDone());
}

Exit searchSlaveId(Console& console, const LineSettings& settings, std::uint8_t& found)
{
    // A probe and its answer are a few bytes; no model's memory is read.
    link::ModelBuffers buffers = link::ModelBuffers::sized(256, 256, 0);
    DeviceLine line(console, Words::cliSearching(), Words::idSearch(), DeviceLine::Target::EveryId);
    if (const Exit e = line.open(settings, buffers); e != Exit::Done)
        return e;
    link::IdSearchUi ui;
    int candidate = 1;
    ui.showSearching = [&](int c) { candidate = c; };
    ui.setProgress = [&](int value) { console.progress(link::clampProgress(value), Words::searchingId(candidate)); };
    const std::optional<std::uint8_t> id = link::IdSearch(line.link(), ui, link::idSearchProgress);
    if (!id && !line.link().cancelled())
        line.tell(Words::idNotFound() + QLatin1Char(' ')
            + (line.link().port().connectionLost() ? Words::cliConnectionClosed() : Words::cliNoIdAnswered()));
    if (const Exit e = line.close(); e != Exit::Done || !id)
        return e != Exit::Done ? e : Exit::NoResponse;
    found = *id;
    return Exit::Done;
}

Exit scanSlaves(Console& console, const LineSettings& settings, int first, int last, link::BusScan& found)
{
    link::ModelBuffers buffers = link::ModelBuffers::sized(256, 256, 0);
    const QString label = Words::cliScanning(settings.baud);
    DeviceLine line(console, label, Words::cliScanOperation(), DeviceLine::Target::EveryId);
    if (const Exit e = line.open(settings, buffers); e != Exit::Done)
        return e;
    const int steps = settings.fast ? kFastScanSteps : link::kBlockWaitSteps;
    found = link::scanBus(line.link(), first, last, steps, settings.fast ? kFastScanTailSteps : 0, [&](int slave) {
        console.progress(link::clampProgress((slave - first + 1) * 100 / (last - first + 1)), label);
    });
    return line.close();
}

} // namespace tarnixw::cli
