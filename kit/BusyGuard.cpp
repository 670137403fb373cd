#include "BusyGuard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

namespace tarnixw::kit {

namespace {
int g_active = 0;

bool isUserInput(QEvent::Type t)
{
    static constexpr QEvent::Type kInput[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
        QEvent::MouseButtonDblClick, QEvent::MouseMove, QEvent::Wheel, QEvent::KeyPress, QEvent::KeyRelease,
        QEvent::ShortcutOverride, QEvent::Shortcut, QEvent::ContextMenu, QEvent::TouchBegin, QEvent::TouchUpdate,
        QEvent::TouchEnd, QEvent::TabletPress, QEvent::TabletRelease, QEvent::Close};
    return std::find(std::begin(kInput), std::end(kInput), t) != std::end(kInput);
}
} // namespace

BusyGuard::BusyGuard(QWidget* window, QProgressBar* bar)
    : m_window(window)
    , m_bar(bar)
{
    ++g_active;
    if (qApp)
        qApp->installEventFilter(this);
}

BusyGuard::~BusyGuard()
{
    release();
}

void BusyGuard::release()
{
    if (m_released)
        return;
    m_released = true;
    // Input that queued up during the operation is swallowed here, with the filter still on.
    if (qApp) {
        QCoreApplication::processEvents();
        qApp->removeEventFilter(this);
    }
    --g_active;
}

bool BusyGuard::active()
{
    return g_active > 0;
}

void BusyGuard::setBar(QProgressBar* bar, int value)
{
    if (bar)
        bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
}

void BusyGuard::step(std::optional<int> barValue)
{
    if (barValue && m_bar)
        setBar(m_bar, *barValue);
    if (qApp)
        QCoreApplication::processEvents();
}

std::function<void(std::optional<int>)> BusyGuard::hook()
{
    return [this](std::optional<int> v) { step(v); };
}

BarSweep::BarSweep(QProgressBar* bar)
    : m_bar(bar)
{
    if (m_bar) {
        m_wasEnabled = m_bar->updatesEnabled();
        // QProgressBar repaints itself at once whenever its text changes: held off here.
        m_bar->setUpdatesEnabled(false);
    }
}

BarSweep::~BarSweep()
{
    if (m_bar)
        m_bar->setUpdatesEnabled(m_wasEnabled); // schedules the last value's painting
}

void BarSweep::set(int value)
{
    if (!m_bar)
        return;
    const int before = m_bar->value();
    BusyGuard::setBar(m_bar, value);
    if (m_bar->value() == before || !m_wasEnabled)
        return;
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    constexpr qint64 kFrameNs = 16'000'000;
    const qint64 now = clock.nsecsElapsed();
    if (m_shownAtNs >= 0 && now - m_shownAtNs < kFrameNs)
        return;
    m_shownAtNs = now;
    m_bar->setUpdatesEnabled(true);
    m_bar->repaint();
    m_bar->setUpdatesEnabled(false);
}

bool BusyGuard::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool ours = widget && m_window && widget->window() == m_window;
    if (ours && isUserInput(event->type())) {
        if (event->type() == QEvent::Close)
            event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tarnixw::kit
