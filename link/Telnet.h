#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Telnet as RFC 2217 serial servers speak it: data bytes with 0xFF doubled (IAC IAC), option
// negotiation (IAC WILL/WONT/DO/DONT option) and sub-negotiation (IAC SB option ... IAC SE)
// anywhere in the stream, even inside a Modbus answer, and cut at any byte between two reads.
namespace tarnixw::link::telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPortOption = 44;
// COM-PORT-OPTION commands, client to server; the server answers each with the command + 100.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3; // 1: none
inline constexpr std::uint8_t kSetStopSize = 4; // 1: one stop bit
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kServerReply = 100;
// The longest sub-negotiation kept; the rest of a longer one is skipped.
inline constexpr std::size_t kMaxSubnegotiation = 64;

// Appends the data bytes to `out` as they go on the wire: each 0xFF doubled.
void escape(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);

// One command that came in the stream.
struct Command {
    std::uint8_t verb = 0; // kWill, kWont, kDo, kDont or kSb
    std::uint8_t option = 0;
    std::vector<std::uint8_t> payload; // a sub-negotiation's bytes after the option, unescaped
    bool operator==(const Command&) const = default;
};

// One bit per verb (WILL, WONT, DO, DONT) and option: what a side has said already.
using Said = std::bitset<4 * 256>;

// Splits a received telnet stream into data and commands, whatever the cuts between the calls.
// Other telnet commands (NOP, GA, ...) are dropped; a lone CR is data (binary mode). A
// sub-negotiation broken off by a negotiation or another SB is dropped, the new command taken.
class Decoder {
public:
    // Appends the data bytes of `in` to `data` and the complete commands to `commands`.
    void feed(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data, std::vector<Command>& commands);

private:
    enum class State { Data, Iac, Verb, Sub, SubIac };
    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    Command m_sub;
    bool m_subStarted = false; // the option byte of the sub-negotiation has come
};

// The client's side (a network port to an RFC 2217 server): it asks for binary mode and the
// COM port option, sets the line's settings and reads the server's acknowledgements.
class Client {
public:
    // What the client sends first: WILL/DO BINARY, WILL COM-PORT-OPTION.
    static std::vector<std::uint8_t> greeting();
    // SET-BAUDRATE, SET-DATASIZE 8, SET-PARITY none, SET-STOPSIZE 1 (with IAC doubled inside).
    static std::vector<std::uint8_t> lineSettings(std::uint32_t baud);

    // Takes received bytes: the data to `data`, what must be answered (a refusal of every option
    // the client does not want, an agreement to binary mode and suppress-go-ahead, each once) to
    // `reply`; the server's acknowledgements are kept below. Modem-state and line-state
    // notifications are ignored.
    void receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& reply);

    // What the server acknowledged (the value of its last answer to each command), and whether
    // it refused the COM port option (WONT/DONT 44).
    std::optional<std::uint32_t> baudAck;
    std::optional<std::uint8_t> dataSizeAck;
    std::optional<std::uint8_t> parityAck;
    std::optional<std::uint8_t> stopSizeAck;
    bool comPortRefused = false;
    // Whether all four of the settings have been acknowledged.
    bool settingsAcknowledged() const { return baudAck && dataSizeAck && parityAck && stopSizeAck; }

private:
    // The greeting's pairs count as said: the server's DO/WILL BINARY and DO COM-PORT-OPTION are
    // acknowledgements then, not requests, and answering them again could start a loop.
    static Said saidInGreeting();
    Decoder m_decoder;
    std::vector<Command> m_commands;
    Said m_said = saidInGreeting(); // verb/option pairs said already, each said once at most
};

// The server's side, for the simulator: it agrees to binary mode and the COM port option,
// takes the line settings a client sets and acknowledges them (the baud rate with `fixedBaud`
// instead when set: a server that refuses other rates), and never answers SET-CONTROL.
class Server {
public:
    explicit Server(std::optional<std::uint32_t> fixedBaud = std::nullopt)
        : m_fixedBaud(fixedBaud)
    { }
    // What the server sends first: WILL/DO BINARY, WILL SUPPRESS-GO-AHEAD, DO COM-PORT-OPTION.
    static std::vector<std::uint8_t> greeting();
    // Takes received bytes: the data to `data`; the answers to negotiations (each once) and the
    // acknowledgements of the line settings to `reply`.
    void receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& reply);
    // The last baud rate a client asked for, as asked.
    std::optional<std::uint32_t> requestedBaud;

private:
    static Said saidInGreeting();
    std::optional<std::uint32_t> m_fixedBaud;
    Decoder m_decoder;
    std::vector<Command> m_commands;
    Said m_said = saidInGreeting();
};

} // namespace tarnixw::link::telnet
