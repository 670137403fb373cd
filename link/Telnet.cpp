#include "link/Telnet.h"

#include <algorithm>
#include <array>

namespace tarnixw::link::telnet {

namespace {

bool isNegotiation(std::uint8_t b)
{
    return b == kWill || b == kWont || b == kDo || b == kDont;
}

std::size_t saidIndex(std::uint8_t verb, std::uint8_t option)
{
    return std::size_t(verb - kWill) * 256 + option;
}

std::array<std::uint8_t, 4> bigEndian32(std::uint32_t value)
{
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
}

std::uint32_t readBigEndian32(std::span<const std::uint8_t> bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8)
        | std::uint32_t(bytes[3]);
}

// IAC SB COM-PORT-OPTION command value... IAC SE, the command and the value escaped.
void appendComPort(std::vector<std::uint8_t>& out, std::uint8_t command, std::span<const std::uint8_t> value)
{
    out.insert(out.end(), {kIac, kSb, kComPortOption});
    escape(std::span(&command, 1), out);
    escape(value, out);
    out.insert(out.end(), {kIac, kSe});
}

// Which options a side enables itself when asked (DO -> WILL) and lets the peer enable (WILL -> DO).
struct Stance {
    std::span<const std::uint8_t> ours;
    std::span<const std::uint8_t> theirs;
};

constexpr std::uint8_t kClientOurs[] = {kBinary, kSuppressGoAhead, kComPortOption};
constexpr std::uint8_t kClientTheirs[] = {kBinary, kSuppressGoAhead};
// The COM port option is the client's to enable: the server lets it, and refuses to take it on itself.
constexpr std::uint8_t kServerOurs[] = {kBinary, kSuppressGoAhead};
constexpr std::uint8_t kServerTheirs[] = {kBinary, kSuppressGoAhead, kComPortOption};

// Answers a request (DO or WILL) with an agreement or a refusal, unless that very answer was said
// before: the stance never changes, so whatever the peer repeats, each answer goes out once and two
// sides that disagree cannot loop. WONT and DONT need no answer.
void negotiate(const Command& command, const Stance& stance, Said& said, std::vector<std::uint8_t>& reply)
{
    const auto agrees = [&](std::span<const std::uint8_t> options) {
        return std::find(options.begin(), options.end(), command.option) != options.end();
    };
    std::uint8_t answer = 0;
    if (command.verb == kDo)
        answer = agrees(stance.ours) ? kWill : kWont;
    else if (command.verb == kWill)
        answer = agrees(stance.theirs) ? kDo : kDont;
    else
        return;
    const std::size_t index = saidIndex(answer, command.option);
    if (said.test(index))
        return;
    said.set(index);
    reply.insert(reply.end(), {kIac, answer, command.option});
}

Said saidIn(std::span<const std::uint8_t> greeting)
{
    Decoder decoder;
    std::vector<std::uint8_t> data;
    std::vector<Command> commands;
    decoder.feed(greeting, data, commands);
    Said said;
    for (const Command& c : commands)
        said.set(saidIndex(c.verb, c.option));
    return said;
}

} // namespace

void escape(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out)
{
    auto from = data.begin();
    while (from != data.end()) {
        const auto iac = std::find(from, data.end(), kIac);
        out.insert(out.end(), from, iac);
        if (iac == data.end())
            break;
        out.insert(out.end(), {kIac, kIac});
        from = iac + 1;
    }
}

void Decoder::feed(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data, std::vector<Command>& commands)
{
    const auto startSub = [this] {
        m_sub.verb = kSb;
        m_sub.option = 0;
        m_sub.payload.clear();
        m_subStarted = false;
        m_state = State::Sub;
    };
    const auto subByte = [this](std::uint8_t b) {
        if (!m_subStarted) {
            m_sub.option = b;
            m_subStarted = true;
        } else if (m_sub.payload.size() < kMaxSubnegotiation) {
            m_sub.payload.push_back(b);
        }
    };
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::uint8_t b = in[i];
        switch (m_state) {
        case State::Data: {
            // Most of the stream is data: copy it up to the next IAC in one go.
            const auto iac = std::find(in.begin() + long(i), in.end(), kIac);
            data.insert(data.end(), in.begin() + long(i), iac);
            i = std::size_t(iac - in.begin());
            if (iac != in.end())
                m_state = State::Iac;
            break;
        }
        case State::Iac:
            if (b == kIac) {
                data.push_back(kIac);
                m_state = State::Data;
            } else if (isNegotiation(b)) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == kSb) {
                startSub();
            } else {
                m_state = State::Data; // NOP, GA, a stray SE...: nothing the line needs
            }
            break;
        case State::Verb:
            commands.push_back(Command{m_verb, b, {}});
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == kIac)
                m_state = State::SubIac;
            else
                subByte(b);
            break;
        case State::SubIac:
            // Inside a sub-negotiation only IAC IAC and IAC SE belong; a negotiation or a new SB
            // means the peer gave the unfinished one up, so it is dropped and the new command taken.
            if (b == kIac) {
                subByte(kIac);
                m_state = State::Sub;
            } else if (b == kSe) {
                if (m_subStarted)
                    commands.push_back(m_sub);
                m_state = State::Data;
            } else if (isNegotiation(b)) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == kSb) {
                startSub();
            } else {
                m_state = State::Sub; // a NOP and the like: the sub-negotiation goes on
            }
            break;
        }
    }
}

std::vector<std::uint8_t> Client::greeting()
{
    return {kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kComPortOption};
}

std::vector<std::uint8_t> Client::lineSettings(std::uint32_t baud)
{
    std::vector<std::uint8_t> out;
    appendComPort(out, kSetBaudRate, bigEndian32(baud));
    const std::uint8_t eightBits = 8;
    const std::uint8_t noParity = 1;
    const std::uint8_t oneStopBit = 1;
    appendComPort(out, kSetDataSize, std::span(&eightBits, 1));
    appendComPort(out, kSetParity, std::span(&noParity, 1));
    appendComPort(out, kSetStopSize, std::span(&oneStopBit, 1));
    return out;
}

Said Client::saidInGreeting()
{
    return saidIn(greeting());
}

void Client::receive(
    std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& reply)
{
    m_commands.clear();
    m_decoder.feed(in, data, m_commands);
    for (const Command& c : m_commands) {
        if (c.verb != kSb) {
            if (c.option == kComPortOption && (c.verb == kWont || c.verb == kDont))
                comPortRefused = true;
            negotiate(c, {kClientOurs, kClientTheirs}, m_said, reply);
            continue;
        }
        if (c.option != kComPortOption || c.payload.empty())
            continue;
        // The server's answers to the settings; notifications of the line and modem state and
        // anything else it volunteers are of no use to a Modbus master.
        const std::span<const std::uint8_t> value = std::span(c.payload).subspan(1);
        switch (c.payload[0]) {
        case kServerReply + kSetBaudRate:
            if (value.size() >= 4)
                baudAck = readBigEndian32(value);
            break;
        case kServerReply + kSetDataSize:
            if (!value.empty())
                dataSizeAck = value[0];
            break;
        case kServerReply + kSetParity:
            if (!value.empty())
                parityAck = value[0];
            break;
        case kServerReply + kSetStopSize:
            if (!value.empty())
                stopSizeAck = value[0];
            break;
        default:
            break;
        }
    }
}

std::vector<std::uint8_t> Server::greeting()
{
    return {kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kSuppressGoAhead, kIac, kDo, kComPortOption};
}

Said Server::saidInGreeting()
{
    return saidIn(greeting());
}

void Server::receive(
    std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& reply)
{
    m_commands.clear();
    m_decoder.feed(in, data, m_commands);
    for (const Command& c : m_commands) {
        if (c.verb != kSb) {
            negotiate(c, {kServerOurs, kServerTheirs}, m_said, reply);
            continue;
        }
        if (c.option != kComPortOption || c.payload.size() < 2)
            continue;
        const std::uint8_t command = c.payload[0];
        const std::span<const std::uint8_t> value = std::span(c.payload).subspan(1);
        switch (command) {
        case kSetBaudRate: {
            if (value.size() < 4)
                break;
            // A rate of 0 asks for the current one and sets nothing.
            const std::uint32_t asked = readBigEndian32(value);
            if (asked != 0)
                requestedBaud = asked;
            appendComPort(
                reply, kServerReply + kSetBaudRate, bigEndian32(m_fixedBaud.value_or(requestedBaud.value_or(0))));
            break;
        }
        case kSetDataSize:
        case kSetParity:
        case kSetStopSize:
        case kPurgeData:
            appendComPort(reply, kServerReply + command, value.first(1));
            break;
        default:
            // SET-CONTROL among them: the line behind this server has no modem or flow control
            // lines, and a client must not wait for an answer it cannot get from such a server.
            break;
        }
    }
}

} // namespace tarnixw::link::telnet
