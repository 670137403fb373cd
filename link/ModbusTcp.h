#pragma once

#include "ModbusPdu.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarnixw::link {

// Modbus TCP: how a PDU travels to a gateway. A frame is the MBAP header (transaction id,
// protocol 0, the length of what follows, the unit id: the slave id) and the PDU; no CRC.
inline constexpr std::size_t kMbapHeader = 7;
// The largest length field of a frame this program can meet: the unit id and a 253-byte PDU.
// A longer one says the stream is out of step.
inline constexpr std::size_t kMaxMbapLength = 254;

// The MBAP header for `slave` before the pduLength-byte PDU at frame[7..], with the next
// transaction id. Returns the frame's length.
int wrapTcp(std::span<std::uint8_t> frame, std::uint8_t slave, int pduLength);
// The envelope's check of what came back for `request` (see Framing::check): the transaction
// id, protocol and length field must be the request's and fit the bytes; the unit id is the
// slave's (else OtherSlave). A frame cut short is Incomplete; anything else that does not fit
// is Damaged.
Verdict checkTcp(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer, std::size_t received,
    std::uint8_t slave);
inline constexpr Framing kTcpFraming{kMbapHeader, 0, &wrapTcp, &checkTcp};

// The transaction id of a frame (its first two bytes).
std::uint16_t transactionOf(std::span<const std::uint8_t> frame);

// Sorts a Modbus TCP stream into frames as it comes, cut anywhere: the bytes of frames with
// `expected`'s transaction id (and of a stream out of step: a header whose protocol is not 0 or
// whose length field is no frame's) go to the link, every whole frame of another transaction (a
// late answer to an earlier request) is dropped without waiting for more than it says. Nothing is
// allocated after a length field: it is only counted down.
class MbapSorter {
public:
    // Takes received bytes; appends those for the link to `out`. Returns the frames dropped.
    int feed(std::span<const std::uint8_t> in, std::uint16_t expected, std::vector<std::uint8_t>& out);
    // After a purge: a frame in progress is dropped to its end, then the next header is read.
    void purge();

private:
    std::vector<std::uint8_t> m_header; // a header still coming (fewer than 7 bytes)
    std::size_t m_rest = 0; // bytes of the current frame still to come after its header
    bool m_passing = false; // the current frame goes to the link (else it is dropped)
    bool m_outOfStep = false; // everything goes to the link from now on, until a purge
    bool m_dropNext = false; // the frame whose header is coming was purged
};

// The device's side: the length of the request frame at the start of `bytes` once its header
// says it (0 for a header no frame has: protocol not 0, length field out of range), and the
// answer frame for a request's header and an answer PDU.
std::optional<std::size_t> tcpRequestLength(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> tcpAnswerFrame(
    std::span<const std::uint8_t> requestHeader, std::span<const std::uint8_t> pdu);

} // namespace tarnixw::link
