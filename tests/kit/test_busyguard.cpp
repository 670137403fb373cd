// While a device operation runs, the window repaints and its bar moves, but mouse and key
// input and close requests aimed at it are dropped, never replayed once the operation ends.
// Other windows (the operation's own message boxes) stay usable.
#include "kit/BusyGuard.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace tarnixw;

namespace {

class Window : public QWidget {
public:
    Window()
    {
        resize(300, 100);
        button = new QPushButton("Read", this);
        button->setGeometry(10, 10, 100, 30);
        bar = new QProgressBar(this);
        bar->setGeometry(10, 50, 280, 20);
        bar->setRange(0, 100);
        bar->setValue(0);
        connect(button, &QPushButton::clicked, this, [this] { ++clicks; });
    }
    void paintEvent(QPaintEvent* e) override
    {
        ++paints;
        QWidget::paintEvent(e);
    }
    QPushButton* button;
    QProgressBar* bar;
    int clicks = 0;
    int paints = 0;
};

void postClick(QWidget* w)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(at);
    QCoreApplication::postEvent(
        w, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        w, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

void postSpace(QWidget* w)
{
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " "));
}

} // namespace

class TestBusyGuard : public QObject {
    Q_OBJECT
private slots:
    void inputDuringAnOperationIsDropped()
    {
        Window window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.button->setFocus();
        {
            kit::BusyGuard guard(&window, window.bar);
            auto step = guard.hook();
            postClick(window.button);
            postSpace(window.button);
            QCoreApplication::postEvent(&window, new QCloseEvent);
            step(40); // a wait step: events are handled meanwhile
            QCOMPARE(window.bar->value(), 40);
            postClick(window.button); // arrives during the last step, handled after it
        }
        QTest::qWait(20);
        QCOMPARE(window.clicks, 0);
        QVERIFY(window.isVisible());

        // once the operation is over, the window takes input again
        postClick(window.button);
        QTest::qWait(20);
        QCOMPARE(window.clicks, 1);
    }

    void theWindowIsRepaintedAndTheBarShowsFullAbove100()
    {
        Window window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        kit::BusyGuard guard(&window, window.bar);
        const int before = window.paints;
        window.update();
        guard.step(std::nullopt); // the bar does not move, but the window is painted
        QVERIFY(window.paints > before);
        QCOMPARE(window.bar->value(), 0);
        guard.step(1700); // the VYR write rule computes beyond 100 near its end
        QCOMPARE(window.bar->value(), 100);
        guard.step(-5);
        QCOMPARE(window.bar->value(), 0);
    }

    void anotherWindowStaysUsable()
    {
        Window form;
        Window box; // a message box the operation shows
        form.show();
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        {
            kit::BusyGuard guard(&form, form.bar);
            postClick(box.button);
            postClick(form.button);
            guard.step(10);
        }
        QTest::qWait(20);
        QCOMPARE(box.clicks, 1);
        QCOMPARE(form.clicks, 0);
    }
};

QTEST_MAIN(TestBusyGuard)
#include "test_busyguard.moc"
