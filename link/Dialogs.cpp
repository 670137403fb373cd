#include "Dialogs.h"

#include <stdexcept>

namespace tarnixw::link {

namespace {
Dialogs* g_dialogs = nullptr;
}

Dialogs& dialogs()
{
    if (!g_dialogs)
        throw std::logic_error("no dialogs installed");
    return *g_dialogs;
}

Dialogs* setDialogs(Dialogs* d)
{
    Dialogs* before = g_dialogs;
    g_dialogs = d;
    return before;
}

QList<FilterEntry> parseFilter(const QString& filter)
{
    QList<FilterEntry> out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out.append({parts[i], parts[i + 1]});
    return out;
}

} // namespace tarnixw::link
