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

DialogsTap::DialogsTap()
    : m_inner(setDialogs(this))
{ }

DialogsTap::~DialogsTap()
{
    setDialogs(m_inner);
}

void DialogsTap::seen(const QString& text)
{
    m_texts << text;
    if (onText)
        onText(text);
}

void DialogsTap::message(const QString& text, const QString& detail)
{
    seen(text); // first: while the box is up, the operation's line already names it
    if (m_inner)
        m_inner->message(text, detail);
}

void DialogsTap::systemMessage(const QString& caption, const QString& text, const QString& detail)
{
    seen(text); // first: while the box is up, the operation's line already names it
    if (m_inner)
        m_inner->systemMessage(caption, text, detail);
}

void DialogsTap::error(const QString& text)
{
    seen(text); // first: while the box is up, the operation's line already names it
    if (m_inner)
        m_inner->error(text);
}

std::optional<QString> DialogsTap::openFileName(const FileDialogSpec& spec)
{
    return m_inner ? m_inner->openFileName(spec) : std::nullopt;
}

std::optional<QString> DialogsTap::saveFileName(const FileDialogSpec& spec)
{
    return m_inner ? m_inner->saveFileName(spec) : std::nullopt;
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

#include <QCoreApplication>
#include <QFileInfo>

namespace tarnixw::link {

QString titleFromProgramPath(const QString& path)
{
    const QString base = QFileInfo(path).completeBaseName();
    if (base.isEmpty())
        return base;
    return base.left(1).toUpper() + base.mid(1).toLower();
}

QString applicationTitle()
{
    if (!QCoreApplication::instance())
        return QStringLiteral("Tarnixw");
    return titleFromProgramPath(QCoreApplication::applicationFilePath());
}

} // namespace tarnixw::link
