#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnixw::link {

// CRC-16/MODBUS over the bytes (initial 0xFFFF, reflected polynomial 0xA001). On the line it
// follows the bytes it covers, low byte first.
std::uint16_t ModbusCrc16(std::span<const std::uint8_t> bytes);

// Big-endian pack helpers: store at pos and return the position after the stored bytes.
// The caller keeps pos inside the buffer (a layout that overruns is a programming error).
int PutLong(std::span<std::uint8_t> buf, int pos, std::uint32_t v);
int PutShort(std::span<std::uint8_t> buf, int pos, std::uint16_t v);
int PutByte(std::span<std::uint8_t> buf, int pos, std::uint8_t v);
// Big-endian reads, signed.
std::int32_t GetLong(std::span<const std::uint8_t> buf, int pos);
std::int16_t GetShort(std::span<const std::uint8_t> buf, int pos);

inline constexpr std::uint8_t kReadHolding = 3;
inline constexpr std::uint8_t kReadInput = 4;
inline constexpr std::uint8_t kWriteMultiple = 16;
inline constexpr std::uint8_t kExceptionBit = 0x80;

// Frame builders. Each writes the whole frame, CRC included, from buf[0] and returns its
// length. Addresses are byte addresses of the device memory, quantities count registers.
// Read request, function 3: 8 bytes.
int buildReadFrame(std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::uint16_t quantity);
// Write request, function 16, with `data` (even length, at most 246 bytes) copied to buf[7..].
int buildWriteFrame(
    std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::span<const std::uint8_t> data);
// Write request, function 16, around a payload of byteCount bytes already packed at buf[7..].
int completeWriteFrame(std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, int byteCount);
// ID probe, function 4, input register 4096, one register: 8 bytes.
int buildProbeFrame(std::span<std::uint8_t> buf, std::uint8_t slave);
// Places the CRC of buf[0..length) after it and returns length + 2.
int appendCrc(std::span<std::uint8_t> buf, int length);
// Whether the last two bytes of the frame are the CRC of the bytes before them.
bool hasValidCrc(std::span<const std::uint8_t> frame);

// The line time of `bytes` bytes at `baud`, 8N1 (10 bits a byte), in nanoseconds.
std::int64_t lineTimeNs(std::size_t bytes, int baud);

// What a request frame asks of the device: its function, the byte address in the device
// memory and the number of registers (0 where the frame is too short to say).
struct Request {
    std::uint8_t function = 0;
    int address = 0;
    int quantity = 0;
    bool operator==(const Request&) const = default;
};
Request requestOf(std::span<const std::uint8_t> frame);

// What the link made of what came back for a request.
struct Verdict {
    enum class Kind {
        Answer, // a complete, intact frame of exactly the expected shape
        Silence, // nothing came within the window
        Damaged, // the CRC does not match: line noise, a wrong baud rate
        Incomplete, // a frame from the slave with the expected function, shorter than expected
        WrongLength, // intact, from the slave, but not the length the request asks for
        Overrun, // more bytes than the response buffer holds
        OtherSlave, // an intact frame from another slave id
        Exception, // an intact exception answer
        OtherFunction, // an intact frame with another function code
        Mismatch, // intact, but its byte count or echo does not fit the request
    };
    Kind kind = Kind::Silence;
    int value = 0; // the other slave id, the exception code or the other function code
    int received = 0; // bytes that came
    int expected = 0; // bytes the answer should have

    // An answer counts; a frame that is intact but not the answer stops the operation
    // ("Response Error !!"); everything else is as good as silence and may be retried.
    bool accepted() const { return kind == Kind::Answer; }
    bool rejected() const
    {
        return kind == Kind::OtherSlave || kind == Kind::Exception || kind == Kind::OtherFunction
            || kind == Kind::Mismatch;
    }
    bool operator==(const Verdict&) const = default;
};

// Judges what came back (`received` bytes, of which `answer` holds what fit the response
// buffer) for the request frame `request` sent to `slave`. Function 3 and 4 answers are the
// slave, the function, a byte count of 2 x quantity, the data and the CRC; a function 16
// answer is the 8-byte echo of the request's address and quantity.
Verdict judgeAnswer(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer, std::size_t received,
    std::uint8_t slave);

// The link buffers of one device model. They live as long as the program and are never
// cleared between exchanges.
struct ModelBuffers {
    std::vector<std::uint8_t> RequestBuffer;
    std::vector<std::uint8_t> ResponseBuffer;
    std::vector<std::uint8_t> DeviceImage;

    static ModelBuffers vyr(); // 2048 / 2048 / 1218
    static ModelBuffers plix(); // 1024 / 1024 / 94
};

} // namespace tarnixw::link
