#include "Device.h"

#include "link/DeviceConstants.h"
#include "link/Modbus.h"

#include <QFile>
#include <algorithm>

namespace tarnixw::sim {

using link::PutByte;
using link::PutLong;
using link::PutShort;

namespace {

struct Area {
    int first;
    int end; // one past the last byte
};

constexpr Area kVyrAreas[] = {{32, 850}, {2048, 2448}};
constexpr Area kPlixAreas[] = {{32, 88}, {2048, 2086}};

// What the probe register reads: a model code.
constexpr std::uint16_t kVyrProbeValue = 0x0001;
constexpr std::uint16_t kPlixProbeValue = 0x0002;

std::uint16_t writeEnableValue()
{
    return std::uint16_t((link::device::kPlixWriteEnableHigh << 8) | link::device::kPlixWriteEnableLow);
}

} // namespace

Device::Device(Model model, std::uint8_t slaveId)
    : m_model(model)
    , m_slaveId(slaveId)
    , m_memory(kMemorySize)
{
    resetToFactory();
}

void Device::resetToFactory()
{
    std::fill(m_memory.begin(), m_memory.end(), 0);
    m_writeEnabled = false;
    std::span<std::uint8_t> mem = m_memory;
    if (m_model == Model::Vyr) {
        PutShort(mem, 32, 0xFFFF); // all 16 analog channels in use
        PutShort(mem, 34, 0);
        PutShort(mem, 36, 255);
        for (int k = 0; k < 16; ++k) {
            PutLong(mem, 38 + 4 * k, 0);
            PutLong(mem, 102 + 4 * k, 25000); // gain of 1000..5000 mV -> 0..100
            PutLong(mem, 166 + 4 * k, std::uint32_t(-25000)); // offset
            PutLong(mem, 230 + 4 * k, 1000);
            PutLong(mem, 294 + 4 * k, 60000);
            PutLong(mem, 358 + 4 * k, 40000);
            PutByte(mem, 818 + k, 1);
            PutLong(mem, 2048 + 4 * k, 1000);
            PutLong(mem, 2112 + 4 * k, 5000);
            PutLong(mem, 2176 + 4 * k, 0);
            PutLong(mem, 2240 + 4 * k, 100000);
            PutShort(mem, 2304 + 2 * k, 30);
            for (int m = 0; m < 3; ++m)
                PutShort(mem, 2336 + 32 * m + 2 * k, 30);
            PutByte(mem, 2432 + k, 5);
        }
        // DI relay masks (422..433) and the DO map (434..817) stay 0.
    } else {
        int p = 32;
        p = PutShort(mem, p, 0x0003); // both channels enabled
        p = PutShort(mem, p, 0);
        p = PutShort(mem, p, 3);
        p = PutLong(mem, p, 0);
        p = PutLong(mem, p, 0);
        for (std::uint32_t v : {25000u, 25000u, std::uint32_t(-25000), std::uint32_t(-25000), 1000u, 1000u, 60000u,
                 60000u, 40000u, 40000u})
            p = PutLong(mem, p, v);
        p = PutByte(mem, p, 1);
        PutByte(mem, p, 1);
        p = 2048;
        for (std::uint32_t v : {1000u, 1000u, 5000u, 5000u, 0u, 0u, 100000u, 100000u})
            p = PutLong(mem, p, v);
        p = PutShort(mem, p, 30);
        p = PutShort(mem, p, 30);
        p = PutByte(mem, p, 5);
        PutByte(mem, p, 5);
    }
}

bool Device::loadMemory(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    // Only a whole image is taken: a file of another size is not one --dump wrote (a .vyx or
    // .plx configuration file, say), and loading it would leave a memory no device holds.
    const QByteArray data = f.read(qint64(kMemorySize) + 1);
    if (data.size() != qsizetype(kMemorySize)) {
        if (error)
            *error = QStringLiteral(
                "%1: a memory image has exactly %2 bytes (as --dump writes it); this file has %3 bytes")
                         .arg(path)
                         .arg(kMemorySize)
                         .arg(f.size());
        return false;
    }
    std::copy(data.begin(), data.end(), m_memory.begin());
    return true;
}

bool Device::dumpMemory(const QString& path, QString* error) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || f.write(reinterpret_cast<const char*>(m_memory.data()), qint64(m_memory.size()))
            != qint64(m_memory.size())) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

std::optional<std::size_t> Device::requestLength(std::span<const std::uint8_t> bytes)
{
    return link::rtuRequestLength(bytes);
}

bool Device::inParameterMemory(int address, int bytes) const
{
    const auto inside = [&](const Area& a) { return address >= a.first && address + bytes <= a.end; };
    if (m_model == Model::Vyr)
        return std::any_of(std::begin(kVyrAreas), std::end(kVyrAreas), inside);
    return std::any_of(std::begin(kPlixAreas), std::end(kPlixAreas), inside);
}

std::vector<std::uint8_t> Device::exception(std::uint8_t function, std::uint8_t code) const
{
    return {std::uint8_t(function | link::kExceptionBit), code};
}

// The answer PDU to a request PDU.
std::vector<std::uint8_t> Device::process(std::span<const std::uint8_t> pdu)
{
    const auto [fn, address, quantity] = link::requestOf(pdu);
    if (fn != link::kReadHolding && fn != link::kReadInput && fn != link::kWriteMultiple)
        return exception(fn, 1);
    if (pdu.size() < 5)
        return exception(fn, 3);

    if (fn == link::kReadHolding || fn == link::kReadInput) {
        if (pdu.size() != 5 || quantity < 1 || quantity > 125)
            return exception(fn, 3);
        std::vector<std::uint8_t> out(std::size_t(2 + 2 * quantity));
        out[0] = fn;
        out[1] = std::uint8_t(2 * quantity);
        if (fn == link::kReadInput) {
            if (address != link::device::kProbeRegister || quantity != 1)
                return exception(fn, 2);
            PutShort(out, 2, m_model == Model::Vyr ? kVyrProbeValue : kPlixProbeValue);
        } else {
            if (!inParameterMemory(address, 2 * quantity))
                return exception(fn, 2);
            std::copy_n(m_memory.begin() + address, 2 * quantity, out.begin() + 2);
        }
        return out;
    }

    // Function 16.
    if (quantity < 1 || quantity > 123 || pdu[5] != 2 * quantity || pdu.size() != 6 + 2 * std::size_t(quantity))
        return exception(fn, 3);
    const std::span<const std::uint8_t> data = pdu.subspan(6, 2 * std::size_t(quantity));
    if (m_model == Model::Plix && address == link::device::kPlixWriteEnableRegister) {
        if (quantity != 1)
            return exception(fn, 3);
        const std::uint16_t v = std::uint16_t((data[0] << 8) | data[1]);
        if (v == writeEnableValue())
            m_writeEnabled = true;
        else if (v == link::device::kPlixWriteDisableValue)
            m_writeEnabled = false;
        else
            return exception(fn, 3);
    } else {
        if (!inParameterMemory(address, 2 * quantity))
            return exception(fn, 2);
        if (m_model == Model::Plix && !m_writeEnabled)
            return exception(fn, 4);
        std::copy(data.begin(), data.end(), m_memory.begin() + address);
        if (m_faults.alterByte && *m_faults.alterByte >= address && *m_faults.alterByte < address + 2 * quantity)
            m_memory[std::size_t(*m_faults.alterByte)] ^= 0x01;
    }
    return {pdu.begin(), pdu.begin() + 5}; // the echo of function, address and quantity
}

Device::Reply Device::handle(std::span<const std::uint8_t> frame)
{
    Reply reply;
    if (m_unplugged) {
        reply.unplugged = true;
        return reply;
    }
    const std::optional<std::span<const std::uint8_t>> pdu = link::rtuPduFor(frame, m_slaveId);
    if (!pdu)
        return reply;
    const int n = ++m_requestCount;
    if (m_faults.unplugAfter >= 0 && n > m_faults.unplugAfter) {
        m_unplugged = true;
        reply.unplugged = true;
        return reply;
    }
    if (m_faults.silentNext > 0) {
        --m_faults.silentNext;
        return reply;
    }
    if ((m_faults.silentEvery > 0 && n % m_faults.silentEvery == 0) || m_faults.silentAt.count(n))
        return reply;

    std::vector<std::uint8_t> out = link::rtuFrame(m_faults.wrongId.value_or(m_slaveId),
        m_faults.exceptionCode ? exception((*pdu)[0], *m_faults.exceptionCode) : process(*pdu));
    if (m_faults.badCrc)
        out.back() ^= 0xFF;
    if (m_faults.truncate)
        out.resize(std::max<std::size_t>(2, out.size() / 2));
    reply.bytes = std::move(out);
    reply.delayMs = m_faults.lateMs;
    return reply;
}

} // namespace tarnixw::sim
