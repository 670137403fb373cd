#pragma once

#include "VyrParamSet.h"
#include "VyrScreen.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>

namespace tarnixw::vyr {

// Save File's capture: the screen into the record, converted exactly as Write converts it
// (-524.272 is stored as -524272). ChanZero, Gain, Offset and GainBase keep what the record
// holds. Nothing on success; otherwise the message naming the first box that did not convert,
// and the record is left unchanged.
std::optional<QString> recordScreen(const Screen& screen, VYRParamSet& record);

// The configuration file's bytes: the record's 1204-byte little-endian image.
QByteArray fileBytes(const VYRParamSet& record);

// Open File: replaces the record with the file's bytes. A file that is not exactly 1204 bytes
// long is refused with the message naming its size, and the record is left unchanged. Nothing
// on success.
std::optional<QString> loadRecord(std::span<const std::uint8_t> bytes, VYRParamSet& record);
std::optional<QString> loadRecord(const QByteArray& bytes, VYRParamSet& record);

} // namespace tarnixw::vyr
