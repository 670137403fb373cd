#include "ModbusTcp.h"

#include <algorithm>
#include <atomic>

namespace tarnixw::link {

namespace {

std::atomic<std::uint16_t> g_nextTransaction{1};

std::uint16_t be16(std::span<const std::uint8_t> b, std::size_t at)
{
    return std::uint16_t((b[at] << 8) | b[at + 1]);
}

} // namespace

std::uint16_t transactionOf(std::span<const std::uint8_t> frame)
{
    return frame.size() < 2 ? 0 : be16(frame, 0);
}

int wrapTcp(std::span<std::uint8_t> frame, std::uint8_t slave, int pduLength)
{
    int pos = PutShort(frame, 0, g_nextTransaction.fetch_add(1));
    pos = PutShort(frame, pos, 0);
    pos = PutShort(frame, pos, std::uint16_t(pduLength + 1));
    return PutByte(frame, pos, slave) + pduLength;
}

Verdict checkTcp(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer, std::size_t received,
    std::uint8_t slave)
{
    const std::span<const std::uint8_t> requestPdu = request.subspan(std::min(request.size(), kMbapHeader));
    Verdict v;
    v.received = int(std::min<std::size_t>(received, 1'000'000));
    v.expected = request.size() <= kMbapHeader ? 0 : int(kMbapHeader) + answerPduLength(requestPdu);
    if (received == 0)
        return v; // silence
    if (received > answer.size()) {
        v.kind = Verdict::Kind::Overrun;
        return v;
    }
    const std::span<const std::uint8_t> frame = answer.first(received);
    // The header so far must be this request's: its transaction, protocol 0.
    const std::size_t known = std::min<std::size_t>(frame.size(), 4);
    const bool ours = std::equal(frame.begin(), frame.begin() + long(std::min<std::size_t>(known, 2)), request.begin())
        && (known < 4 || be16(frame, 2) == 0);
    if (!ours) {
        v.kind = Verdict::Kind::Damaged;
        return v;
    }
    if (frame.size() < kMbapHeader + 1) {
        v.kind = Verdict::Kind::Incomplete;
        return v;
    }
    const std::size_t length = be16(frame, 4);
    if (length < 2 || length > kMaxMbapLength || frame.size() > 6 + length) {
        v.kind = Verdict::Kind::Damaged;
    } else if (frame.size() < 6 + length) {
        v.kind = Verdict::Kind::Incomplete;
    } else if (frame[6] != slave) {
        v.kind = Verdict::Kind::OtherSlave;
        v.value = frame[6];
    } else {
        v.kind = Verdict::Kind::Answer;
    }
    return v;
}

void MbapSorter::purge()
{
    m_outOfStep = false;
    // The rest of a frame in progress is dropped, the frame of a header still coming too.
    m_passing = false;
    m_dropNext = !m_header.empty();
}

int MbapSorter::feed(std::span<const std::uint8_t> in, std::uint16_t expected, std::vector<std::uint8_t>& out)
{
    int dropped = 0;
    while (!in.empty()) {
        if (m_outOfStep) {
            out.insert(out.end(), in.begin(), in.end());
            return dropped;
        }
        if (m_rest > 0) {
            const std::size_t n = std::min(m_rest, in.size());
            if (m_passing)
                out.insert(out.end(), in.begin(), in.begin() + long(n));
            m_rest -= n;
            in = in.subspan(n);
            continue;
        }
        const std::size_t n = std::min(kMbapHeader - m_header.size(), in.size());
        m_header.insert(m_header.end(), in.begin(), in.begin() + long(n));
        in = in.subspan(n);
        if (m_header.size() < kMbapHeader)
            break;
        const std::size_t length = be16(m_header, 4);
        if (be16(m_header, 2) != 0 || length < 2 || length > kMaxMbapLength) {
            // No frame's header: the stream is out of step. The link judges what comes.
            m_outOfStep = true;
            out.insert(out.end(), m_header.begin(), m_header.end());
        } else {
            m_passing = be16(m_header, 0) == expected && !m_dropNext;
            if (m_passing)
                out.insert(out.end(), m_header.begin(), m_header.end());
            else
                ++dropped;
            m_rest = length - 1; // the unit id came with the header
        }
        m_header.clear();
        m_dropNext = false;
    }
    return dropped;
}

std::optional<std::size_t> tcpRequestLength(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 6)
        return std::nullopt;
    const std::size_t length = be16(bytes, 4);
    if (be16(bytes, 2) != 0 || length < 2 || length > kMaxMbapLength)
        return std::size_t(0);
    return 6 + length;
}

std::vector<std::uint8_t> tcpAnswerFrame(std::span<const std::uint8_t> requestHeader, std::span<const std::uint8_t> pdu)
{
    std::vector<std::uint8_t> frame(kMbapHeader + pdu.size());
    std::copy_n(requestHeader.begin(), std::min(requestHeader.size(), kMbapHeader), frame.begin());
    PutShort(frame, 2, 0);
    PutShort(frame, 4, std::uint16_t(pdu.size() + 1));
    std::copy(pdu.begin(), pdu.end(), frame.begin() + long(kMbapHeader));
    return frame;
}

} // namespace tarnixw::link
