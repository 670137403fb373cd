#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnixw::link {

// The Modbus PDU: a function code and its data, whatever envelope carries it on the line.

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

// The ID probe reads this input register (function 4, one register); every model answers it.
inline constexpr std::uint16_t kProbeRegister = 4096;

// Request builders: each writes from pdu[0] and returns the PDU's length. Addresses are byte
// addresses of the device memory, quantities count registers. A write (function 16) goes around
// byteCount bytes (even, at most 246) already at writeRequestData(pdu); the ID probe reads input
// register 4096 with function 4.
int putReadPdu(std::span<std::uint8_t> pdu, std::uint16_t address, std::uint16_t quantity);
int putWritePdu(std::span<std::uint8_t> pdu, std::uint16_t address, int byteCount);
int putProbePdu(std::span<std::uint8_t> pdu);
// A write request's data (after function, address, quantity and byte count); a read answer's
// data (after function and byte count).
std::span<std::uint8_t> writeRequestData(std::span<std::uint8_t> pdu);
std::span<const std::uint8_t> readAnswerData(std::span<const std::uint8_t> pdu);
// The length of the request PDU that starts `pdu`, once enough of it is there to tell (nothing
// yet, or 0 for a function this program does not use), and of the answer PDU a request asks for.
std::optional<std::size_t> requestPduLength(std::span<const std::uint8_t> pdu);
int answerPduLength(std::span<const std::uint8_t> request);

// What a request asks of the device: its function, the byte address in the device memory and
// the number of registers (0 where the PDU is too short to say).
struct Request {
    std::uint8_t function = 0;
    int address = 0;
    int quantity = 0;
    bool operator==(const Request&) const = default;
};
Request requestOf(std::span<const std::uint8_t> pdu);

// What the link made of what came back for a request.
struct Verdict {
    enum class Kind {
        Answer, // a complete, intact frame of exactly the expected shape
        Silence, // nothing came within the window
        Damaged, // the frame's check does not match: line noise, a wrong baud rate
        Incomplete, // a frame from the slave with the expected function, shorter than expected
        WrongLength, // intact, from the slave, but not the length the request asks for
        Overrun, // more bytes than the response buffer holds
        OtherSlave, // an intact frame from another slave id
        Exception, // an intact exception answer
        OtherFunction, // an intact frame with another function code
        Mismatch, // intact, but its byte count or echo does not fit the request
        GatewaySilent, // a gateway's exception 0x0A or 0x0B: the device behind it did not answer
        Disconnected, // nothing came, and the network connection has ended
    };
    Kind kind = Kind::Silence;
    int value = 0; // the other slave id, the exception code (a gateway's too) or the other function code
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

// The PDU's check of an answer that came intact from the slave: an exception answer (function |
// 0x80 and a code; a gateway's "path unavailable" or "target device failed to respond" says
// the device was silent), another function, another length than the request asks for (Incomplete or
// WrongLength), a byte count of other than 2 x quantity or an echo of another address or
// quantity (Mismatch), else Answer. Only kind and value are set.
Verdict checkPdu(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer);

// How PDUs travel: the envelope around them on the line (RTU: slave id before, CRC after), as
// a small backend the link asks where a PDU sits, to wrap one and to check what came back.
struct Framing {
    std::size_t header = 0; // bytes before the PDU
    std::size_t trailer = 0; // bytes after it
    // Puts the envelope for `slave` around the pduLength-byte PDU at frame[header..]; returns
    // the frame's length.
    int (*wrap)(std::span<std::uint8_t> frame, std::uint8_t slave, int pduLength);
    // The envelope's check of what came back (`received` bytes, of which `answer` holds what fit
    // the response buffer) for the request frame `request` sent to `slave`: silence, overrun,
    // damaged, incomplete, other slave; Answer when the envelope is intact and the slave's, its
    // PDU then for checkPdu. Sets received and expected in frame bytes.
    Verdict (*check)(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer, std::size_t received,
        std::uint8_t slave);

    // The PDU in a request buffer (it says its own length), or in an intact answer.
    std::span<std::uint8_t> requestPdu(std::span<std::uint8_t> frame) const { return frame.subspan(header); }
    std::span<const std::uint8_t> answerPdu(std::span<const std::uint8_t> frame) const
    {
        return frame.subspan(header, frame.size() - header - trailer);
    }
};

// The framing's check of what came back, then the PDU's check of an intact answer.
Verdict judgeAnswer(const Framing& framing, std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer,
    std::size_t received, std::uint8_t slave);

} // namespace tarnixw::link
