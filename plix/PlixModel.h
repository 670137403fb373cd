#pragma once

#include "PlixFields.h"
#include "PlixParamSet.h"
#include "values/FieldChecks.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnixw::plix {

// ---- Device layout ---------------------------------------------------------------------

// The device addresses its parameter memory by byte: block A starts at byte 32, block B at
// byte 2048; a request's quantity counts 16-bit registers.
inline constexpr std::uint16_t kBlockAAddress = 0x0020;
inline constexpr int kBlockASize = 56; // 28 registers
inline constexpr std::uint16_t kBlockBAddress = 0x0800;
inline constexpr int kBlockBSize = 38; // 19 registers
// What Read gathers: block A at 0..55, block B at 56..93, both big-endian as sent.
inline constexpr int kDeviceImageSize = kBlockASize + kBlockBSize;

// ---- Files -----------------------------------------------------------------------------

inline constexpr int kFileSize = kParamSetSize;
inline const QString kModelName = QStringLiteral("PLIXARO");

// ---- State that outlives the form -------------------------------------------------------

struct ChannelFlags {
    bool ch0Enabled = true;
    bool ch1Enabled = true;
    bool operator==(const ChannelFlags&) const = default;
};

// The PLIX state held for the whole run: the parameter image (all zero at start) and the
// channel flags (both enabled at start). Opening or closing the form resets none of it.
struct Model {
    PLIXParamSet paramSet;
    bool CH0Enabled = true;
    bool CH1Enabled = true;

    ChannelFlags flags() const { return {CH0Enabled, CH1Enabled}; }
    void setFlags(ChannelFlags f)
    {
        CH0Enabled = f.ch0Enabled;
        CH1Enabled = f.ch1Enabled;
    }
};

// The process-wide instance.
Model& model();
// Back to the start-of-run state (for tests).
void resetModel();

// ---- Enable mask -----------------------------------------------------------------------

// Bit 0 = CH0, bit 1 = CH1, all other bits 0.
std::uint16_t enableMask(ChannelFlags flags);
// Bit 0 and bit 1 of the mask; other bits are ignored.
ChannelFlags flagsFromMask(std::uint16_t mask);

// ---- Field checks ----------------------------------------------------------------------

// The check made when box `f` is left, with the texts of all boxes as they stand (a sensor
// box compares itself with its partner).
values::FieldCheckResult checkBox(Field f, const Texts& texts);

// ---- Staging for Write -----------------------------------------------------------------

// Positions in PLIXStagedValues. Per-channel entries are base + channel.
namespace staged {
inline constexpr int kEnableMask = 0;
inline constexpr int kZero = 1;
inline constexpr int kThree = 2;
inline constexpr int kSensorFrom = 3;
inline constexpr int kSensorTo = 5;
inline constexpr int kPvFrom = 7;
inline constexpr int kPvTo = 9;
inline constexpr int kSlope = 11;
inline constexpr int kOffset = 13;
inline constexpr int kHighAlarm = 15;
inline constexpr int kLowAlarm = 17;
inline constexpr int kSilenceTime = 19;
inline constexpr int kDecimalDigits = 21;
inline constexpr int kHysteresis = 23;
inline constexpr int kCount = 25;
} // namespace staged

// The screen's values as the device will get them, in single precision: sensors in mV, P.V.
// and alarms x 1000, hysteresis x 10, slope and offset of each channel's scaling.
struct PLIXStagedValues {
    std::array<float, staged::kCount> values{};
    float& operator[](int i) { return values[i]; }
    float operator[](int i) const { return values[i]; }
};

// Exactly one of `values` and `error` is set.
struct StagingResult {
    std::optional<PLIXStagedValues> values;
    QString error;
};

// Builds the staged values from the eighteen texts and the channel flags. Refused, with a
// message naming the box or channel, when a text is not a number, when a value does not fit
// its device field, when a channel's sensor from and to are equal, or when a channel's slope
// or offset does not fit 32 bits. Staged values that come from here always pack exactly.
StagingResult stageValues(const Texts& texts, ChannelFlags flags);

// A channel's slope and offset as Write computes them from its single-precision ranges (sensor
// in mV, P.V. x 1000), each checked to fit 32 bits; otherwise the message naming the channel.
struct ChannelScaling {
    float slope = 0;
    float offset = 0;
    QString error; // empty when both were computed
};
ChannelScaling channelScaling(int ch, float sensorFrom, float sensorTo, float pvFrom, float pvTo);

// A parameter image that holds its values as they are to be sent (a configuration file), made
// ready for a Write: block A's constants as Write sets them (0 and 3 after the mask, 0, 0,
// and 1000 for each channel) and each channel's slope and offset computed from its ranges as
// Write computes them. Every other field is sent exactly as held. Exactly one of `paramSet` and
// `error` (naming the channel whose scaling cannot be computed) is set.
struct WriteImage {
    std::optional<PLIXParamSet> paramSet;
    QString error;
};
WriteImage paramSetForWrite(const PLIXParamSet& values);

// ---- Packing ---------------------------------------------------------------------------

// Stores block A's fields into `paramSet`, then lays block A's 56 big-endian bytes into `out`
// from `pos` on; returns pos + 56 (or -1, writing nothing, when `out` is too short).
int PackBlockA(const PLIXStagedValues& staged, std::span<std::uint8_t> out, int pos, PLIXParamSet& paramSet);
// The same for block B's 38 bytes; it stores the four alarm fields again.
int PackBlockB(const PLIXStagedValues& staged, std::span<std::uint8_t> out, int pos, PLIXParamSet& paramSet);
// Into the process-wide parameter set.
int PackBlockA(const PLIXStagedValues& staged, std::span<std::uint8_t> out, int pos);
int PackBlockB(const PLIXStagedValues& staged, std::span<std::uint8_t> out, int pos);
// The byte layouts alone: block A's 56 or block B's 38 big-endian bytes of `paramSet` into
// `out` from `pos`, as it holds them; returns the position after them (or -1, writing
// nothing, when `out` is too short).
int layBlockA(const PLIXParamSet& paramSet, std::span<std::uint8_t> out, int pos);
int layBlockB(const PLIXParamSet& paramSet, std::span<std::uint8_t> out, int pos);

// ---- Decoding --------------------------------------------------------------------------

struct DecodedSet {
    Texts texts;
    ChannelFlags flags;
};

// The texts and flags of a Read, from the gathered device image (at least kDeviceImageSize
// bytes, else nothing).
std::optional<DecodedSet> decodeDeviceImage(std::span<const std::uint8_t> image);

// The texts and flags held in a parameter image (the file formats).
DecodedSet decodeParamSet(const PLIXParamSet& paramSet);

// The device's values in a gathered device image (block A at 0, block B at 56) as a parameter
// image, every field exactly as stored: the inverse of the two layouts. The reserved gaps are
// 0. Nothing when the image is shorter than kDeviceImageSize.
std::optional<PLIXParamSet> paramSetFromDeviceImage(std::span<const std::uint8_t> image);

// ---- Configuration file ----------------------------------------------------------------

// Save File's first step: refreshes the mask, the two constants after it and the eighteen
// parameter fields of `paramSet` from the screen, converting exactly as Write does. On a text
// that is not a number or a value that does not fit, returns the message and refreshes nothing.
// Offsets 8 to 39 (calibration) are left as they are.
std::optional<QString> captureForSave(const Texts& texts, ChannelFlags flags, PLIXParamSet& paramSet);

// Writes the 100-byte image to `path` safely; the error text, or nothing on success.
std::optional<QString> saveConfigurationFile(const QString& path, const PLIXParamSet& paramSet);

// Exactly one of `decoded` and `error` is set.
struct LoadResult {
    std::optional<DecodedSet> decoded;
    QString error;
};

// Open File: a file of exactly 100 bytes becomes `m`'s parameter image, its mask sets `m`'s
// channel flags, and its texts are returned for the boxes. Any other file is refused with
// the message to show, and `m` is left unchanged.
LoadResult loadConfigurationFile(const QString& path, Model& m);

} // namespace tarnixw::plix
