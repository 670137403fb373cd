#include "Device.h"

#include "link/Modbus.h"

#include <QFile>
#include <algorithm>

namespace tarnixw::sim {

using link::PutShort;

Device::Device(const models::DeviceModel& model, std::uint8_t slaveId)
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
    const std::vector<std::uint8_t> image = m_model.factoryImage();
    std::size_t at = 0;
    for (const models::MemoryBlock& block : m_model.memory()) {
        std::copy_n(image.begin() + std::ptrdiff_t(at), block.bytes, m_memory.begin() + block.address);
        at += std::size_t(block.bytes);
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

bool Device::inParameterMemory(int address, int bytes) const
{
    const std::vector<models::MemoryBlock> blocks = m_model.memory();
    return std::any_of(blocks.begin(), blocks.end(),
        [&](const models::MemoryBlock& b) { return address >= b.address && address + bytes <= b.address + b.bytes; });
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
            if (address != link::kProbeRegister || quantity != 1)
                return exception(fn, 2);
            PutShort(out, 2, m_model.probeValue());
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
    const std::optional<models::WriteGate> gate = m_model.writeGate();
    if (gate && address == gate->address) {
        if (quantity != 1)
            return exception(fn, 3);
        const std::uint16_t v = std::uint16_t((data[0] << 8) | data[1]);
        if (v == gate->open)
            m_writeEnabled = true;
        else if (v == gate->close)
            m_writeEnabled = false;
        else
            return exception(fn, 3);
    } else {
        if (!inParameterMemory(address, 2 * quantity))
            return exception(fn, 2);
        if (gate && !m_writeEnabled)
            return exception(fn, 4);
        std::copy(data.begin(), data.end(), m_memory.begin() + address);
        if (m_faults.alterByte && *m_faults.alterByte >= address && *m_faults.alterByte < address + 2 * quantity)
            m_memory[std::size_t(*m_faults.alterByte)] ^= 0x01;
    }
    return {pdu.begin(), pdu.begin() + 5}; // the echo of function, address and quantity
}

Device::Reply Device::handle(std::span<const std::uint8_t> frame)
{
    if (m_unplugged)
        return {.bytes = {}, .unplugged = true};
    const std::optional<std::span<const std::uint8_t>> pdu = link::rtuPduFor(frame, m_slaveId);
    if (!pdu)
        return {};
    const int n = ++m_requestCount;
    if (m_faults.unplugAfter >= 0 && n > m_faults.unplugAfter) {
        m_unplugged = true;
        return {.bytes = {}, .unplugged = true};
    }
    if (m_faults.silentNext > 0) {
        --m_faults.silentNext;
        return {};
    }
    if ((m_faults.silentEvery > 0 && n % m_faults.silentEvery == 0) || m_faults.silentAt.count(n))
        return {};

    std::vector<std::uint8_t> out = link::rtuFrame(m_faults.wrongId.value_or(m_slaveId),
        m_faults.exceptionCode ? exception((*pdu)[0], *m_faults.exceptionCode) : process(*pdu));
    if (m_faults.badCrc)
        out.back() ^= 0xFF;
    if (m_faults.truncate)
        out.resize(std::max<std::size_t>(2, out.size() / 2));
    return {std::move(out), m_faults.lateMs};
}

} // namespace tarnixw::sim
