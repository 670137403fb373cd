#include "Console.h"

#include "words/Words.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace tarnixw::cli {

namespace {

// Standard error is flushed at once: the bar and the messages show the moment they come.
void put(const QString& text)
{
    static std::mutex whole;
    const std::lock_guard<std::mutex> lock(whole);
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

constexpr int kBarWidth = 30;

} // namespace

Console::Console()
    : m_terminal(stderrIsTerminal())
{ }

Console::~Console()
{
    endProgress();
}

void Console::note(const QString& text)
{
    m_lastNote = text;
    raw(QStringLiteral("tarnixw-cli: ") + (m_prefix.isEmpty() ? text : Words::labelled(m_prefix, text)));
}

void Console::success(const QString& text)
{
    if (!m_quiet)
        note(text);
    m_lastNote = text;
}

void Console::warning(const QString& text)
{
    note(Words::cliWarning(text));
}

void Console::raw(const QString& text)
{
    endProgress();
    put(text + QLatin1Char('\n'));
}

void Console::out(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    const std::size_t written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    if ((std::fflush(stdout) != 0 || written != std::size_t(bytes.size())) && m_outError.isEmpty())
        m_outError = errno ? QString::fromLocal8Bit(std::strerror(errno)) : Words::cliWriteError();
}

void Console::progress(int value, const QString& label)
{
    if (!m_terminal || (m_drawn && value == m_value && label == m_label))
        return;
    m_value = value;
    m_label = label;
    const int filled = value * kBarWidth / 100;
    const QString bar = QStringLiteral("\r[%1%2] %3% %4\033[K")
                            .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')))
                            .arg(value, 3)
                            .arg(label);
    put(bar);
    m_drawn = true;
}

void Console::endProgress()
{
    if (!m_drawn)
        return;
    put(QStringLiteral("\r\033[K"));
    m_drawn = false;
}

} // namespace tarnixw::cli
