#include "Logo1.h"

#include "resources/Artwork.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace tarnixw::app {

namespace {
std::int32_t g_ticks = 0;
}

int TLogo::tickCount()
{
    return g_ticks;
}
void TLogo::resetTickCount()
{
    g_ticks = 0;
}

TLogo::TLogo(std::function<void()> showMain, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint)
    , m_showMain(std::move(showMain))
{
    setObjectName(QStringLiteral("Logo"));
    setFixedSize(533, 369);
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(0, 0, 533, 369);
    m_image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_image->setPixmap(artwork::splash()); // unscaled: the picture's last row is cut off
    if (const QScreen* s = screen())
        move(s->geometry().center() - rect().center());

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TLogo::Timer1Timer);
    m_timer->start();
}

void TLogo::Timer1Timer()
{
    ++g_ticks;
    if (g_ticks != 3)
        return; // later ticks keep arriving while the main window is up; they only count
    hide();
    if (m_showMain)
        m_showMain();
}

void TLogo::closeEvent(QCloseEvent* e)
{
    // The splash is the application's main form: closing it ends the program once the
    // handlers that are running return.
    QWidget::closeEvent(e);
    QCoreApplication::quit();
}

} // namespace tarnixw::app
