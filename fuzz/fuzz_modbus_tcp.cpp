// Bytes from a Modbus TCP gateway as the network port sorts them and the link judges them: the
// stream is cut into pieces the input chooses, with purges between some; frames of other
// transactions are dropped whole, whatever their length field says, and the judgement of what
// is left never reads past what came. Nothing may crash, allocate after a length field or give
// a different result for another cut of the same stream.
#include "FuzzSupport.h"

#include "link/ModbusTcp.h"

#include <algorithm>
#include <vector>

using namespace tarnixw;

namespace {

struct Sorted {
    std::vector<std::uint8_t> forLink;
    int dropped = 0;
};

// Feeds `stream` in the pieces `cuts` gives (a piece of 1 + cut % 17 bytes each), purging
// before the piece whose cut byte has its top bit set when `purges` is on.
Sorted sortStream(std::span<const std::uint8_t> stream, std::span<const std::uint8_t> cuts, bool purges)
{
    link::MbapSorter sorter;
    Sorted s;
    std::size_t k = 0;
    for (std::size_t i = 0; i < stream.size();) {
        const std::uint8_t cut = cuts.empty() ? 0xFF : cuts[k++ % cuts.size()];
        const std::size_t n = std::min<std::size_t>(stream.size() - i, 1 + cut % 17);
        if (purges && (cut & 0x80) != 0) {
            sorter.purge();
            s.forLink.clear();
        }
        s.dropped += sorter.feed(stream.subspan(i, n), 0x0102, s.forLink);
        i += n;
        TARNIXW_FUZZ_CHECK(s.forLink.size() <= i, QStringLiteral("more out than in"));
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Reader in(data, size);
    const std::size_t cutCount = in.byte() % 32;
    std::vector<std::uint8_t> cuts;
    for (std::size_t i = 0; i < cutCount; ++i)
        cuts.push_back(in.byte());
    std::vector<std::uint8_t> stream;
    while (!in.atEnd())
        stream.push_back(in.byte());

    // Without purges, the cut does not matter.
    const Sorted whole = sortStream(stream, {}, false);
    const Sorted cut = sortStream(stream, cuts, false);
    TARNIXW_FUZZ_CHECK(whole.forLink == cut.forLink && whole.dropped == cut.dropped, QStringLiteral("cut changes"));
    // Every frame handed on starts with this request's transaction, or the stream is out of step.
    if (whole.forLink.size() >= 2 && link::transactionOf(whole.forLink) != 0x0102)
        TARNIXW_FUZZ_CHECK(whole.forLink.size() >= 7, QStringLiteral("a short frame of another transaction"));
    const Sorted purged = sortStream(stream, cuts, true);
    TARNIXW_FUZZ_CHECK(purged.forLink.size() <= stream.size(), QStringLiteral("purged"));

    // The judgement of what the link got, for a read, a write and a probe, into a buffer that
    // may be too small.
    static const std::vector<std::vector<std::uint8_t>> requests = {
        {0x01, 0x02, 0, 0, 0, 6, 1, 3, 0x09, 0x00, 0, 0x20},
        {0x01, 0x02, 0, 0, 0, 11, 1, 16, 0x0F, 0xA0, 0, 1, 2, 0xFF, 0xFF},
        {0x01, 0x02, 0, 0, 0, 6, 1, 4, 0x10, 0x00, 0, 1},
    };
    for (const std::vector<std::uint8_t>& request : requests)
        for (const std::size_t room : {std::size_t(16), std::size_t(300)}) {
            std::vector<std::uint8_t> buffer(room);
            const std::size_t stored = std::min(room, cut.forLink.size());
            std::copy_n(cut.forLink.begin(), stored, buffer.begin());
            const link::Verdict v = link::judgeAnswer(link::kTcpFraming, request, buffer, cut.forLink.size(), 1);
            TARNIXW_FUZZ_CHECK(v.received == int(cut.forLink.size()), QStringLiteral("received"));
            if (v.accepted()) {
                TARNIXW_FUZZ_CHECK(v.received == v.expected, QStringLiteral("an answer of another length"));
                TARNIXW_FUZZ_CHECK(link::transactionOf(buffer) == 0x0102, QStringLiteral("another transaction"));
            }
        }
    return 0;
}
