#include "LeaveCheck.h"

#include "BusyGuard.h"
#include "Dialogs.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace tarnixw::kit {

bool showFieldCheck(QLineEdit* box, const values::FieldCheckResult& result)
{
    if (!result.ok() && result.kind == values::CheckFailure::ToolkitError) {
        dialogs().error(result.error); // the handler ends here; the box is not held
        return true;
    }
    if (!result.ok()) {
        // The typed text stays; the focus goes back so the user can correct it.
        dialogs().message(result.error);
        box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (const std::optional<QString>& rewritten = *result.value)
        box->setText(*rewritten);
    return true;
}

// Watches the mouse after a refused box: the press that moved the focus is delivered right
// after the focus change (Qt moves the focus first), and its release follows; both are
// dropped so the control under them is not clicked.
class LeaveWatcher::ClickSwallower final : public QObject {
public:
    explicit ClickSwallower(QWidget* window)
        : m_window(window)
    { }
    ~ClickSwallower() override { stop(); }

    void start()
    {
        if (m_state == State::Idle)
            qApp->installEventFilter(this);
        m_state = State::Press;
        // Focus moved by the mouse without a press to follow (the wheel): stop waiting once
        // the event loop turns.
        QTimer::singleShot(0, this, [this] {
            if (m_state == State::Press)
                stop();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type t = event->type();
        const bool press = t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick;
        const bool release = t == QEvent::MouseButtonRelease;
        auto* w = qobject_cast<QWidget*>(watched);
        if ((!press && !release) || !w || w->window() != m_window)
            return false;
        if (press && m_state == State::Press) {
            m_state = State::Release;
            return true;
        }
        if (release && m_state == State::Release) {
            stop();
            return true;
        }
        // A new press while a release was awaited: that release got lost (a modal box took
        // it); the user's new click is theirs.
        stop();
        return false;
    }

private:
    enum class State { Idle, Press, Release };
    void stop()
    {
        if (m_state != State::Idle && qApp)
            qApp->removeEventFilter(this);
        m_state = State::Idle;
    }

    QPointer<QWidget> m_window;
    State m_state = State::Idle;
};

LeaveWatcher::LeaveWatcher(QWidget* window)
    : QObject(window)
    , m_window(window)
    , m_swallower(std::make_unique<ClickSwallower>(window))
{ }

LeaveWatcher::~LeaveWatcher() = default;

void LeaveWatcher::watch(QLineEdit* box, Check check)
{
    if (!box)
        return;
    if (!m_checks.contains(box)) {
        box->installEventFilter(this);
        connect(box, &QObject::destroyed, this, [this](QObject* gone) { m_checks.remove(gone); });
    }
    m_checks.insert(box, check);
}

bool LeaveWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut || m_checking)
        return false;
    const auto it = m_checks.constFind(watched);
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (it == m_checks.cend() || !box)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const bool left = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
        || reason == Qt::ShortcutFocusReason;
    if (!left || !m_window || !m_window->isVisible() || BusyGuard::active())
        return false;
    m_checking = true;
    const Check check = *it; // the check may show a box that changes the watched set
    const bool passed = check(box);
    m_checking = false;
    if (passed)
        return false;
    if (reason == Qt::MouseFocusReason)
        m_swallower->start();
    return true; // the box has the focus again: it must not take the leave as well
}

} // namespace tarnixw::kit
