// Answer bytes from the line fed into the link's exchanges: a VYR read phase, the PLIX write
// sequence and one ID search round, over a port that hands out the fuzz input as whatever
// arrived after each request. Nothing may crash, read out of bounds or hang, and every
// operation reports its outcome exactly once.
#include "FuzzSupport.h"
#include "vyr/VyrTransfer.h"

#include "link/Clock.h"
#include "link/IdSearch.h"
#include "link/Modbus.h"
#include "link/ModbusLink.h"
#include "link/SerialPort.h"
#include "plix/PlixModel.h"
#include "plix/PlixTransfer.h"
#include "vyr/VyrDecode.h"

#include <algorithm>
#include <deque>
#include <vector>

using namespace tarnixw;

namespace {

// Input: a control byte, the slave id byte, then answers, each a length byte (0xFF: a
// big-endian 16-bit length follows) and that many bytes. Once the answers run out the line
// stays silent.
enum ControlBits : std::uint8_t {
    kAppendCrc = 0x01, // each answer gets its correct CRC appended (so intact frames are easy to reach)
    kLate = 0x02, // an answer arrives only after the next request went out (past its purge)
    kDribble = 0x04, // bytes are handed out a few at a time
    kSkipVyr = 0x08,
    kSkipPlix = 0x10,
    kSkipSearch = 0x20,
};

class AnswerPort final : public link::SerialPort {
public:
    AnswerPort(fuzz::Reader& input, std::uint8_t control)
        : m_input(input)
        , m_control(control)
    { }

    bool isOpen() const override { return true; }
    void purge() override { m_received.clear(); }
    void purgeReceive() override { m_received.clear(); }
    long write(std::span<const std::uint8_t> bytes) override
    {
        ++writes;
        if (m_control & kLate) {
            std::swap(m_pending, m_nextAnswer);
            m_nextAnswer = nextAnswer();
            m_received.insert(m_received.end(), m_pending.begin(), m_pending.end());
        } else {
            const std::vector<std::uint8_t> answer = nextAnswer();
            m_received.insert(m_received.end(), answer.begin(), answer.end());
        }
        return long(bytes.size());
    }
    std::size_t bytesAvailable() override { return m_received.size(); }
    std::size_t read(std::span<std::uint8_t> out) override
    {
        std::size_t n = std::min(out.size(), m_received.size());
        if (m_control & kDribble)
            n = std::min<std::size_t>(n, 7);
        std::copy_n(m_received.begin(), n, out.begin());
        m_received.erase(m_received.begin(), m_received.begin() + long(n));
        return n;
    }
    void close() override { }

    int writes = 0;

private:
    std::vector<std::uint8_t> nextAnswer()
    {
        if (m_input.atEnd())
            return {};
        std::size_t length = m_input.byte();
        if (length == 0xFF)
            length = m_input.u16();
        std::size_t got = 0;
        const std::uint8_t* p = m_input.take(length, got);
        std::vector<std::uint8_t> answer(p, p + got);
        if (m_control & kAppendCrc) {
            const std::uint16_t crc = link::ModbusCrc16(answer);
            answer.push_back(std::uint8_t(crc & 0xFF));
            answer.push_back(std::uint8_t(crc >> 8));
        }
        return answer;
    }

    fuzz::Reader& m_input;
    std::uint8_t m_control;
    std::deque<std::uint8_t> m_received;
    std::vector<std::uint8_t> m_pending;
    std::vector<std::uint8_t> m_nextAnswer;
};

// How often the link told of a failed step (what a window would show a box for).
int g_told = 0;
void countStop(link::StopReason, const link::Exchanges&)
{
    ++g_told;
}

void checkBar(std::optional<int> value)
{
    if (value)
        TARNIXW_FUZZ_CHECK(link::clampProgress(*value) >= 0 && link::clampProgress(*value) <= 100, QString());
}

// One VYR read phase as the form runs it, then the decode of what was gathered.
void readVyr(link::SerialPort& port, link::Clock& clock, std::uint8_t slave)
{
    static link::ModelBuffers buffers
        = link::ModelBuffers::sized(2048, 2048, 1218); // they live for the run, never cleared
    link::ModbusLink bus(buffers, port, clock, checkBar, {}, countStop);
    bus.SlaveId = slave;
    bus.beginOperation();
    const int before = g_told;
    bool ok = bus.ReadBlocks(32, 13, 64, 50, 0, [](int b, int k) { return (b * 64 + k) * 100 / 1700; });
    TARNIXW_FUZZ_CHECK(ok == !bus.StopFlag(), QString());
    TARNIXW_FUZZ_CHECK(g_told - before == (ok ? 0 : 1), QStringLiteral("read phase 1"));
    TARNIXW_FUZZ_CHECK(bus.SilenceCount <= 3, QString());
    if (!ok)
        return;
    ok = bus.ReadBlocks(2048, 7, 64, 16, 818, [](int b, int k) { return (b * 64 + k + 818) * 100 / 1700; });
    TARNIXW_FUZZ_CHECK(g_told - before == (ok ? 0 : 1), QStringLiteral("read phase 2"));
    if (ok) {
        const auto screen = vyr::decodeDeviceImage(buffers.DeviceImage);
        TARNIXW_FUZZ_CHECK(screen.has_value(), QString());
    }
}

// The PLIX write sequence: open the configuration, block A, block B, close.
void writePlix(link::SerialPort& port, link::Clock& clock, std::uint8_t slave)
{
    static link::ModelBuffers buffers = link::ModelBuffers::sized(1024, 1024, 94);
    const plix::StagingResult staged = plix::stageValues(plix::Texts::defaults(), {true, true});
    TARNIXW_FUZZ_CHECK(staged.ok(), staged.error);
    plix::PLIXParamSet paramSet;
    link::ModbusLink bus(buffers, port, clock, checkBar, {}, countStop);
    bus.SlaveId = slave;
    bus.beginOperation();
    const std::span<std::uint8_t> data = bus.writeData();

    int before = g_told;
    data[0] = std::uint8_t(plix::kWriteEnableValue >> 8);
    data[1] = std::uint8_t(plix::kWriteEnableValue & 0xFF);
    const link::StepResult opened = bus.WriteRegisters(plix::kWriteEnableRegister, 2, 56);
    TARNIXW_FUZZ_CHECK(g_told - before == (opened == link::StepResult::Accepted ? 0 : 1), QString());

    before = g_told;
    TARNIXW_FUZZ_CHECK(plix::PackBlockA(*staged.value, data, 0, paramSet) == plix::kBlockASize, QString());
    const link::StepResult a
        = bus.WriteRegisters(plix::kBlockAAddress, plix::kBlockASize, 56, [](int k) { return k + 3; });
    if (opened != link::StepResult::Accepted)
        TARNIXW_FUZZ_CHECK(a == link::StepResult::Skipped, QString());
    TARNIXW_FUZZ_CHECK(g_told - before == (a == link::StepResult::Failed ? 1 : 0), QString());

    before = g_told;
    TARNIXW_FUZZ_CHECK(plix::PackBlockB(*staged.value, data, 0, paramSet) == plix::kBlockBSize, QString());
    const link::StepResult b
        = bus.WriteRegisters(plix::kBlockBAddress, plix::kBlockBSize, 38, [](int k) { return k + 62; });
    TARNIXW_FUZZ_CHECK(g_told - before == (b == link::StepResult::Failed ? 1 : 0), QString());

    data[0] = 0xFF;
    data[1] = 0xFF;
    link::WriteStepRules closing;
    closing.runWhenStopped = true;
    closing.sendOnce = opened == link::StepResult::Failed;
    const int writesBefore = static_cast<AnswerPort&>(port).writes;
    const link::StepResult closed = bus.WriteRegisters(plix::kWriteEnableRegister, 2, 56, {}, closing);
    TARNIXW_FUZZ_CHECK(closed != link::StepResult::Skipped, QString());
    if (closing.sendOnce)
        TARNIXW_FUZZ_CHECK(static_cast<AnswerPort&>(port).writes - writesBefore == 1, QString());
}

void searchId(link::SerialPort& port, link::Clock& clock)
{
    static link::ModelBuffers buffers = link::ModelBuffers::sized(2048, 2048, 1218);
    link::ModbusLink bus(buffers, port, clock);
    int foundCalls = 0;
    int shownId = 0;
    int lastCandidate = 0;
    link::IdSearchUi ui;
    ui.showSearching = [&](int candidate) {
        TARNIXW_FUZZ_CHECK(candidate == lastCandidate + 1 && candidate <= 255, QString());
        lastCandidate = candidate;
    };
    ui.setProgress = [](int value) { TARNIXW_FUZZ_CHECK(link::clampProgress(value) <= 100, QString()); };
    ui.setFoundId = [&](int id) {
        ++foundCalls;
        shownId = id;
    };
    const std::optional<std::uint8_t> id = link::IdSearch(bus, ui, vyr::idSearchProgress);
    TARNIXW_FUZZ_CHECK(foundCalls == (id ? 1 : 0), QString());
    TARNIXW_FUZZ_CHECK(!bus.cancelled(), QString());
    if (id)
        TARNIXW_FUZZ_CHECK(*id >= 1 && int(*id) == shownId && int(*id) == lastCandidate, QString());
    else
        TARNIXW_FUZZ_CHECK(lastCandidate == 255, QString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Reader input(data, size);
    const std::uint8_t control = input.byte();
    const std::uint8_t slave = std::uint8_t(1 + input.byte() % 255);
    AnswerPort port(input, control);
    link::VirtualClock clock;
    if (!(control & kSkipVyr))
        readVyr(port, clock, slave);
    if (!(control & kSkipPlix))
        writePlix(port, clock, slave);
    if (!(control & kSkipSearch))
        searchId(port, clock);
    return 0;
}
