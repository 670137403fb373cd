#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QProgressBar;
class QWidget;

namespace tarnixw::kit {

// Held for the length of one device operation. The operation runs synchronously on the user
// interface thread; at every wait step the window is repainted, while mouse and key input and
// close requests that arrive meanwhile at that window are discarded (never replayed once it
// ends). Message boxes that the operation shows are windows of their own and stay usable.
class BusyGuard final : public QObject {
public:
    BusyGuard(QWidget* window, QProgressBar* bar);
    ~BusyGuard() override;

    // The operation's work on the line is over: input that queued up meanwhile is swallowed,
    // and from here on the window takes input again (the operation's closing message box, and
    // the keys pressed once it is closed). The destructor does it when nobody did.
    void release();

    // Sets the bar (when the step moves it) and keeps the window painted.
    void step(std::optional<int> barValue);
    // A callable for the link's wait steps.
    std::function<void(std::optional<int>)> hook();

    // Sets the bar, showing anything above 100 as full.
    static void setBar(QProgressBar* bar, int value);
    static bool active();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    QPointer<QProgressBar> m_bar;
    bool m_released = false;
};

// A bar moved many times in a row without a pause (a fill of the window, a sweep): the values
// are set as given, but the bar is shown at most once a screen frame (16 ms), because each
// showing goes to the screen at once and costs more than the work between the values. The
// value it ends with is painted with the rest of the window.
class BarSweep final {
public:
    explicit BarSweep(QProgressBar* bar);
    ~BarSweep();
    BarSweep(const BarSweep&) = delete;
    BarSweep& operator=(const BarSweep&) = delete;

    // Sets the bar as BusyGuard::setBar does.
    void set(int value);

private:
    QPointer<QProgressBar> m_bar;
    bool m_wasEnabled = true;
    qint64 m_shownAtNs = -1;
};

} // namespace tarnixw::kit
