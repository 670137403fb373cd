#pragma once

#include "values/FieldChecks.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QLineEdit;
class QWidget;

namespace tarnixw::kit {

// Shows the outcome of a field check on its box: a refused text stays as typed, its message
// is shown and the focus goes back into the box; an accepted text is rewritten in the
// field's format when the check gives one. A check that ended with the toolkit's conversion
// error shows it in the error box and holds nothing. Returns whether the box may be left.
bool showFieldCheck(QLineEdit* box, const values::FieldCheckResult& result);

// The checks made when the user leaves an edit box of a device form. A box is left when the
// user tabs or clicks elsewhere in the window, not when another window (a message box) comes
// up, nor while a device operation runs. A refused box keeps the focus, so the user cannot
// leave it until its text passes; and when the mouse took the focus away, the click that did
// it does not happen (the button under it is not pressed).
class LeaveWatcher final : public QObject {
public:
    // Runs the box's check, shows its outcome and returns whether the text passed.
    using Check = std::function<bool(QLineEdit* box)>;

    explicit LeaveWatcher(QWidget* window);
    ~LeaveWatcher() override;

    // Checks the box with `check` whenever it is left. A box that is destroyed drops out.
    void watch(QLineEdit* box, Check check);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class ClickSwallower;

    QPointer<QWidget> m_window;
    QHash<const QObject*, Check> m_checks;
    bool m_checking = false;
    std::unique_ptr<ClickSwallower> m_swallower;
};

} // namespace tarnixw::kit
