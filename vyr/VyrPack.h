#pragma once

#include "values/Result.h"

#include "VyrParamSet.h"
#include "VyrStaging.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace tarnixw::vyr {

// Bytes that each pack writes: area 1 without its 16 unedited bytes, area 2 whole.
inline constexpr int kArea1PackedBytes = 802;
inline constexpr int kArea2PackedBytes = 400;

// Which record fields the staged values set.
enum class RecordFields {
    Area1, // PackParamArea1: fields 1..13; ChanZero 0, GainBase 1000, Gain/Offset from staging
    Area2, // PackParamArea2: SFrom, STo, DFrom, DTo, SilenceT, Hysteresis, HLimit, LLimit
    SaveFile, // Save File: everything except ChanZero, Gain, Offset, GainBase (and the padding)
};

// The record with the chosen fields set from the staged values, each truncated toward zero
// to its field's width. Nothing when a staged value does not fit its field (staging from a
// screen has already refused such values).
std::optional<VYRParamSet> recordWithStaged(
    const VYRParamSet& base, const VYRStagedValues& staged, RecordFields fields);

// Sets the area-1 fields of the record and writes them big-endian in device order into
// image from pos: 802 bytes. The 16 bytes after them (device addresses 834..849) are not
// touched. Returns the position after the last byte written, or nothing (record and image
// unchanged) when the image is too short or a staged value does not fit.
std::optional<int> PackParamArea1(
    std::span<std::uint8_t> image, int pos, const VYRStagedValues& staged, VYRParamSet& record);

// Sets SFrom, STo, DFrom, DTo, SilenceT, Hysteresis (and HLimit, LLimit) and writes area 2
// from pos: the four ranges, the silence table row by row (all analog silences, then DI
// module 0, 1, 2), the hysteresis bytes; 400 bytes. Same result rule as PackParamArea1.
std::optional<int> PackParamArea2(
    std::span<std::uint8_t> image, int pos, const VYRStagedValues& staged, VYRParamSet& record);

// The byte layouts alone: the record's area-1 fields (802 bytes) or area 2 (400 bytes) into
// image from pos, as the record holds them. Nothing when the image is too short.
std::optional<int> layParamArea1(std::span<std::uint8_t> image, int pos, const VYRParamSet& record);
std::optional<int> layParamArea2(std::span<std::uint8_t> image, int pos, const VYRParamSet& record);

// The device's values in a DeviceImage as a Read leaves it (area 1 at 0, area 2 at 818), every
// field exactly as stored: the inverse of the two layouts. The padding word is 0. Nothing when
// the image is shorter than 1218 bytes.
std::optional<VYRParamSet> recordFromDeviceImage(std::span<const std::uint8_t> image);

// A record that holds its values as they are to be sent (a configuration file), made ready
// for a Write: the words a Write always sets are set as it sets them (FixedZero 0, FixedFF
// 255, ChanZero 0, GainBase 1000) and each channel's Gain and Offset are computed from its
// ranges as Write computes them. Every other field is sent exactly as held. Refused with the
// message naming the channel whose scaling cannot be computed as `channelName` names it.
using WriteRecord = values::Result<VYRParamSet>;
WriteRecord recordForWrite(const VYRParamSet& values, const std::function<QString(int)>& channelName);

} // namespace tarnixw::vyr
