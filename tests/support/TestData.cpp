#include "TestData.h"

#include "link/Modbus.h"

#include <QFile>

namespace tarnixw::test {

std::vector<std::uint8_t> hexBytes(const char* text)
{
    std::vector<std::uint8_t> out;
    for (const QByteArray& b : QByteArray(text).simplified().split(' '))
        if (!b.isEmpty())
            out.push_back(std::uint8_t(b.toUInt(nullptr, 16)));
    return out;
}

std::vector<std::uint8_t> withCrc(std::vector<std::uint8_t> frame)
{
    frame.resize(frame.size() + 2);
    link::appendCrc(frame, int(frame.size()) - 2);
    return frame;
}

QByteArray fileContent(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFileContent(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace tarnixw::test
