#pragma once

#include "ModbusPdu.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarnixw::link {

// Modbus RTU: how a PDU travels on the serial line. A frame is the slave id, the PDU and the
// CRC of both; this is the one place that knows those offsets.

// CRC-16/MODBUS over the bytes (initial 0xFFFF, reflected polynomial 0xA001). On the line it
// follows the bytes it covers, low byte first.
std::uint16_t ModbusCrc16(std::span<const std::uint8_t> bytes);
// Places the CRC of buf[0..length) after it and returns length + 2.
int appendCrc(std::span<std::uint8_t> buf, int length);
// Whether the last two bytes of the frame are the CRC of the bytes before them.
bool hasValidCrc(std::span<const std::uint8_t> frame);

// The RTU envelope around the pduLength-byte PDU at frame[1..]: the slave id before it, the
// CRC after it. Returns the frame's length.
int wrapRtu(std::span<std::uint8_t> frame, std::uint8_t slave, int pduLength);
// The RTU envelope's check of what came back for the request frame `request` sent to `slave`
// (see Framing::check). Nothing can be said of a frame with a bad CRC but what it looks like:
// one from our slave with our function that is shorter than the answer was cut off
// (Incomplete), anything else is Damaged.
Verdict checkRtu(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer, std::size_t received,
    std::uint8_t slave);
inline constexpr Framing kRtuFraming{1, 2, &wrapRtu, &checkRtu};

// The device's side of the envelope: the PDU of an intact frame to `slave` (nothing for a
// damaged frame or one to another slave), and the frame of an answer PDU.
std::optional<std::span<const std::uint8_t>> rtuPduFor(std::span<const std::uint8_t> frame, std::uint8_t slave);
std::vector<std::uint8_t> rtuFrame(std::uint8_t slave, std::span<const std::uint8_t> pdu);
// The length of the RTU request that starts the bytes, once enough of it is there to tell
// (nothing yet, or 0 for a function this program does not use).
std::optional<std::size_t> rtuRequestLength(std::span<const std::uint8_t> bytes);

// What came back on the line to ID probes, one frame after another: each intact probe answer
// (slave, 4, byte count 2, the register, CRC) or exception answer (slave, 0x84, code, CRC)
// wherever it starts, the slaves whose answer came damaged (its first three bytes a probe
// answer's, its CRC not matching), whether other bytes came that no slave can be told from, and
// how many bytes at the end may be the start of an answer still on its way.
struct ProbeAnswer {
    std::uint8_t slave = 0;
    std::optional<std::uint16_t> value; // the register; none for an exception answer
    bool operator==(const ProbeAnswer&) const = default;
};
struct ProbeBytes {
    std::vector<ProbeAnswer> answers;
    std::vector<std::uint8_t> damaged;
    bool noise = false;
    std::size_t partial = 0;
};
ProbeBytes rtuProbeAnswers(std::span<const std::uint8_t> bytes);

// Whole RTU request frames written from buf[0], each returning its length: a read (8 bytes) and
// a write of `data` (even length, at most 246 bytes).
int buildReadFrame(std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::uint16_t quantity);
int buildWriteFrame(
    std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::span<const std::uint8_t> data);

// The line time of `bytes` bytes at `baud`, 8N1 (10 bits a byte), in nanoseconds.
std::int64_t lineTimeNs(std::size_t bytes, int baud);

// The link buffers of one device model. They live as long as the program and are never
// cleared between exchanges.
struct ModelBuffers {
    std::vector<std::uint8_t> RequestBuffer;
    std::vector<std::uint8_t> ResponseBuffer;
    std::vector<std::uint8_t> DeviceImage;

    static ModelBuffers sized(std::size_t request, std::size_t response, std::size_t image);
};

} // namespace tarnixw::link
