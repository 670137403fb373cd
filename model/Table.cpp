#include "Table.h"

#include <algorithm>

namespace tarnixw::models {

Table::Table(QStringList header)
{
    m_header.push_back(std::move(header));
}

void Table::add(QStringList row)
{
    m_rows.push_back(std::move(row));
}

void Table::addHeaderLine(QStringList line)
{
    m_header.insert(m_header.begin(), std::move(line));
}

QString Table::text() const
{
    std::vector<qsizetype> widths;
    const auto measure = [&](const QStringList& row) {
        if (widths.size() < std::size_t(row.size()))
            widths.resize(std::size_t(row.size()), 0);
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[std::size_t(i)] = std::max(widths[std::size_t(i)], row[i].size());
    };
    for (const QStringList& row : m_header)
        measure(row);
    for (const QStringList& row : m_rows)
        measure(row);
    QString out;
    const auto line = [&](const QStringList& row) {
        QString text;
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += QStringLiteral("  ");
            const int width = int(widths[std::size_t(i)]);
            const bool left = std::find(m_left.begin(), m_left.end(), int(i)) != m_left.end();
            text += left ? row[i].leftJustified(width) : row[i].rightJustified(width);
        }
        // No blanks at the end of a line.
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        out += text + QLatin1Char('\n');
    };
    for (const QStringList& row : m_header)
        line(row);
    for (const QStringList& row : m_rows)
        line(row);
    return out;
}

} // namespace tarnixw::models
