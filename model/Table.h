#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tarnixw::models {

// An aligned text table: columns padded to their widest cell, two spaces apart, numbers (and
// every column after the first) right-aligned.
class Table {
public:
    explicit Table(QStringList header);
    void add(QStringList row);
    // Header lines may be more than one (a caption line above the column names).
    void addHeaderLine(QStringList line);
    // Text columns are left-aligned.
    void alignLeft(int column) { m_left.push_back(column); }
    QString text() const;

    // A flag as the tables write it: "yes" or "no".
    static QString yesNo(bool v) { return v ? QStringLiteral("yes") : QStringLiteral("no"); }

private:
    std::vector<QStringList> m_header;
    std::vector<QStringList> m_rows;
    std::vector<int> m_left{0};
};

} // namespace tarnixw::models
