#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

namespace tarnixw::app {

// The splash form and the application's main form. Its timer shows the main window on its
// third tick; closing it ends the program.
class TLogo : public QWidget {
    Q_OBJECT
public:
    // showMain runs the main window modally (created, shown, destroyed) on the third tick.
    explicit TLogo(std::function<void()> showMain, QWidget* parent = nullptr);

    void Timer1Timer();
    QTimer* Timer1() const { return m_timer; }
    QLabel* Image1() const { return m_image; }

    // The program-wide splash tick counter.
    static int tickCount();
    static void resetTickCount();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    std::function<void()> m_showMain;
    QLabel* m_image = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace tarnixw::app
