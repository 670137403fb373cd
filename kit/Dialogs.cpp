#include "Dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <stdexcept>

namespace tarnixw::kit {

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

QString titleFromProgramPath(const QString& path)
{
    const QString base = QFileInfo(path).completeBaseName();
    if (base.isEmpty())
        return base;
    return base.left(1) + base.mid(1).toLower();
}

QString applicationTitle()
{
    if (!QCoreApplication::instance())
        return QStringLiteral("tarnixw");
    return titleFromProgramPath(QCoreApplication::applicationFilePath());
}

} // namespace tarnixw::kit
