#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace tarnixw::test {

// "01 03 00 20" -> {0x01, 0x03, 0x00, 0x20}
std::vector<std::uint8_t> hexBytes(const char* text);
// The frame with its CRC-16/MODBUS appended, low byte first.
std::vector<std::uint8_t> withCrc(std::vector<std::uint8_t> frame);

// A file's bytes ("<unreadable>" when it cannot be read), and writing them.
QByteArray fileContent(const QString& path);
bool writeFileContent(const QString& path, const QByteArray& bytes);

} // namespace tarnixw::test
