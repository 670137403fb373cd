#include "Console.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace tarnixw::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}

void put(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

constexpr int kBarWidth = 30;

} // namespace

void watchInterrupt()
{
    struct sigaction sa { };
    sa.sa_handler = onInterrupt;
    sa.sa_flags = SA_RESETHAND; // the next one takes its default course
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

bool interrupted()
{
    return g_interrupted != 0;
}

Console::Console()
    : m_terminal(::isatty(STDERR_FILENO) == 1)
{
    m_previous = link::setDialogs(this);
}

Console::~Console()
{
    endProgress();
    link::setDialogs(m_previous);
}

void Console::message(const QString& text, const QString& detail)
{
    note(detail.isEmpty() ? text : text + QLatin1Char('\n') + detail);
}

void Console::systemMessage(const QString&, const QString& text, const QString& detail)
{
    message(text, detail);
}

void Console::error(const QString& text)
{
    note(text);
}

void Console::note(const QString& text)
{
    clearBar();
    put(stderr, text + QLatin1Char('\n'));
    std::fflush(stderr);
}

void Console::warning(const QString& text)
{
    note(QStringLiteral("warning: ") + text);
}

void Console::out(const QString& text)
{
    put(stdout, text);
    std::fflush(stdout);
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
    put(stderr, bar);
    std::fflush(stderr);
    m_drawn = true;
}

void Console::endProgress()
{
    clearBar();
}

void Console::clearBar()
{
    if (!m_drawn)
        return;
    put(stderr, QStringLiteral("\r\033[K"));
    std::fflush(stderr);
    m_drawn = false;
}

} // namespace tarnixw::cli
