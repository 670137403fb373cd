// The whole program as a technician runs it: the start-up function main() runs, the real event
// loop, the real Qt message boxes and file dialogs, and tarnixw-devsim on a pseudo-terminal
// published as a virtual port (on Windows, under Wine, mapped as a COM port). A script plays the user: it looks at the
// modal window or the shown windows and presses their buttons or types into them.
#include "app/Application.h"
#include "app/Logo1.h"
#include "app/Program.h"
#include "kit/BusyGuard.h"
#include "tests/support/DevSim.h"
#include "tests/support/Restore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

using namespace tarnixw;

namespace {

QWidget* shownWindow(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

bool anyWindowShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

// The windows and the modal stack as they are when a step gives up.
QString describeWindows()
{
    QStringList lines;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() && w->objectName().isEmpty())
            continue;
        lines << QStringLiteral("  %1 %2 '%3'%4%5%6")
                     .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), w->windowTitle(),
                         QLatin1String(w->isVisible() ? " shown" : " hidden"),
                         QLatin1String(w->isModal() ? " modal" : ""),
                         QLatin1String(w == QApplication::activeWindow() ? " active" : ""));
    }
    const QWidget* modal = QApplication::activeModalWidget();
    lines << QStringLiteral("  active modal widget: %1").arg(modal ? modal->objectName() : QStringLiteral("none"));
    lines << QStringLiteral("  an operation holds the input: %1").arg(kit::BusyGuard::active() ? "yes" : "no");
    return lines.join(QLatin1Char('\n'));
}

// Presses what the user presses, from the event loop (so that a modal window it opens runs
// its loop while the script goes on looking).
void later(std::function<void()> press)
{
    QTimer::singleShot(0, qApp, std::move(press));
}

void click(QWidget* window, const char* button)
{
    QPushButton* b = window->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY2(b, button);
    later([b = QPointer<QPushButton>(b)] {
        if (b)
            QTest::mouseClick(b, Qt::LeftButton);
    });
}

// Answers the message box on top with OK when its text starts with `text`.
bool answerBox(const QString& text, QString* seen = nullptr)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || !box->text().startsWith(text))
        return false;
    if (seen)
        *seen = box->text();
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    later([ok = QPointer<QAbstractButton>(ok)] {
        if (ok)
            QTest::mouseClick(ok, Qt::LeftButton);
    });
    return true;
}

// Types a file name into the file dialog on top and presses Return.
bool typeIntoFileDialog(const QString& path)
{
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
        return false;
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit)
        return false;
    later([edit = QPointer<QLineEdit>(edit), path] {
        if (!edit)
            return;
        edit->clear();
        QTest::keyClicks(edit, path);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    return true;
}

// One step of the user: done when `act` returns true; the program is ended with a failure when
// a step does not come about in time.
struct Step {
    QString what;
    std::function<bool()> act;
    int timeoutMs = 20000;
};

// The splash's tick count at the moment the main window was first shown (the splash timer
// goes on ticking after that, and the script may look a while later).
class MainShownAtTick final : public QObject {
public:
    MainShownAtTick() { qApp->installEventFilter(this); }
    int tick = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (tick < 0 && event->type() == QEvent::Show && watched->objectName() == QLatin1String("Main"))
            tick = app::TLogo::tickCount();
        return QObject::eventFilter(watched, event);
    }
};

class UserScript final : public QObject {
public:
    explicit UserScript(QList<Step> steps)
        : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, &UserScript::poll);
        m_timer.start(20);
        m_clock.start();
    }
    QString failure;
    int done() const { return m_current; }

private:
    void poll()
    {
        if (m_current >= m_steps.size() || m_acting)
            return;
        m_acting = true;
        const bool ok = m_steps[m_current].act();
        m_acting = false;
        if (ok) {
            ++m_current;
            m_clock.restart();
        } else if (m_clock.elapsed() > m_steps[m_current].timeoutMs) {
            failure = QStringLiteral("step %1 never came about: %2\n%3")
                          .arg(m_current + 1)
                          .arg(m_steps[m_current].what, describeWindows());
            m_timer.stop();
            for (QWidget* w : QApplication::topLevelWidgets())
                w->hide();
            QCoreApplication::exit(99);
        }
    }

    QList<Step> m_steps;
    int m_current = 0;
    bool m_acting = false;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void aTechniciansSession()
    {
#ifdef Q_OS_WIN
        // Under Wine, tools/windows.sh has mapped a simulated PLIXARO as the last COM port.
        if (!qEnvironmentVariableIsSet("TARNIXW_WINE_PLIX"))
            QSKIP("no simulated device on a mapped COM port (tools/windows.sh test maps them)");
#else
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(
            {QStringLiteral("--model"), QStringLiteral("plix"), QStringLiteral("--id"), QStringLiteral("1")}));
        const test::EnvironmentVariable runtime("XDG_RUNTIME_DIR", QFile::encodeName(sim.runtimeDir()));
#endif
        QTemporaryDir files;
        const QString saved = files.filePath(QStringLiteral("site-a.vyx"));
        const QString missing = files.filePath(QStringLiteral("no-such-file.vyx"));

        QString portSet;
        QElapsedTimer mainBack;
        QElapsedTimer formEscaped;
        MainShownAtTick mainShownAt;
        const QList<Step> steps = {
            {"the splash is shown", [] { return shownWindow("Logo") != nullptr; }},
            {"the main window comes up on the third tick, the splash hidden",
                [&] { return shownWindow("Main") && !shownWindow("Logo") && mainShownAt.tick == 3; }},
            {"Check COM: unplug", [] { return answerBox(QStringLiteral("Please unplug the USB COM port cable")); }},
            {"Check COM: plug", [] { return answerBox(QStringLiteral("Please plug the Ostrell USB COM port cable")); }},
            {"Check COM: the port is set",
                [&] { return answerBox(QStringLiteral("COM Port is set to COM"), &portSet); }},
            {"open the PLIXARO form",
                [] {
                    QWidget* main = shownWindow("Main");
                    if (!main || QApplication::activeModalWidget() != main)
                        return false;
                    click(main, "PLIXButton");
                    return true;
                }},
            {"the PLIXARO form is shown, the main window hidden; Read",
                [] {
                    QWidget* form = shownWindow("FormPLIX");
                    if (!form || shownWindow("Main"))
                        return false;
                    click(form, "Read");
                    return true;
                }},
            {"Read Done.", [] { return answerBox(QStringLiteral("Read Done.")); }},
            {"Escape on the PLIXARO form",
                [&] {
                    QWidget* form = shownWindow("FormPLIX");
                    if (!form || QApplication::activeModalWidget() != form)
                        return false;
                    formEscaped.start();
                    later([form = QPointer<QWidget>(form)] {
                        if (form)
                            QTest::keyClick(form, Qt::Key_Escape);
                    });
                    return true;
                }},
            {"the PLIXARO form is still shown a second later (Escape does nothing); close it as a user does",
                [&] {
                    QWidget* form = shownWindow("FormPLIX");
                    if (!form || formEscaped.elapsed() < 1000)
                        return false;
                    later([form = QPointer<QWidget>(form)] {
                        // The window system's close request, as the close button or Alt+F4 sends it.
                        if (form && form->windowHandle())
                            form->windowHandle()->close();
                    });
                    return true;
                },
                3000},
            {"the main window is back; Escape on it",
                [&] {
                    QWidget* main = shownWindow("Main");
                    if (!main || shownWindow("FormPLIX"))
                        return false;
                    mainBack.start();
                    later([main = QPointer<QWidget>(main)] {
                        if (main)
                            QTest::keyClick(main, Qt::Key_Escape);
                    });
                    return true;
                }},
            {"the main window is still shown a second later (Escape does nothing)",
                [&] { return shownWindow("Main") && mainBack.elapsed() >= 1000; }, 3000},
            {"open the VYRANTA form",
                [] {
                    QWidget* main = shownWindow("Main");
                    if (!main || QApplication::activeModalWidget() != main)
                        return false;
                    click(main, "VYRButton");
                    return true;
                }},
            {"the VYRANTA form shows its defaults; Save File",
                [] {
                    QWidget* form = shownWindow("FormVYR");
                    auto* from = form ? form->findChild<QLineEdit*>(QStringLiteral("VYRSFrom0")) : nullptr;
                    if (!from || shownWindow("Main"))
                        return false;
                    auto* id = form->findChild<QLineEdit*>(QStringLiteral("ModbusID"));
                    if (from->text() != QLatin1String("1000") || !id || id->text() != QLatin1String("1"))
                        return false;
                    click(form, "SaveFile");
                    return true;
                }},
            {"type the file name", [&] { return typeIntoFileDialog(saved); }},
            {"Save File Done.", [] { return answerBox(QStringLiteral("Save File Done.")); }},
            {"Save File again, over the same file",
                [&] {
                    QWidget* form = shownWindow("FormVYR");
                    if (!form || QApplication::activeModalWidget() != form || QFileInfo(saved).size() != 1204)
                        return false;
                    click(form, "SaveFile");
                    return true;
                }},
            {"type the same name", [&] { return typeIntoFileDialog(saved); }},
            {"replaced without a question: Save File Done.",
                [] { return answerBox(QStringLiteral("Save File Done.")); }},
            {"Open File",
                [] {
                    QWidget* form = shownWindow("FormVYR");
                    if (!form || QApplication::activeModalWidget() != form)
                        return false;
                    click(form, "OpenFile");
                    return true;
                }},
            {"type the name of a file that does not exist", [&] { return typeIntoFileDialog(missing); }},
            {"the form says it cannot open it", [] { return answerBox(QStringLiteral("Can not open file !!")); }},
            {"close the VYRANTA form from its title bar",
                [] {
                    QWidget* form = shownWindow("FormVYR");
                    if (!form || QApplication::activeModalWidget() != form)
                        return false;
                    later([form = QPointer<QWidget>(form)] {
                        if (form)
                            form->close();
                    });
                    return true;
                }},
            {"the main window is back; close it",
                [] {
                    QWidget* main = shownWindow("Main");
                    if (!main || shownWindow("FormVYR"))
                        return false;
                    later([main = QPointer<QWidget>(main)] {
                        if (main)
                            main->close();
                    });
                    return true;
                }},
        };
        UserScript script(steps);
        const int rc = app::runProgram(*static_cast<app::Application*>(qApp));

        QVERIFY2(script.failure.isEmpty(), qPrintable(script.failure));
        QCOMPARE(script.done(), steps.size());
        QCOMPARE(rc, 0);
        QVERIFY(!anyWindowShown());
        QVERIFY(portSet.contains(QRegularExpression(QStringLiteral("^COM Port is set to COM\\d+$"))));
        QCOMPARE(QFileInfo(saved).size(), 1204);
        QVERIFY(!QFileInfo::exists(missing));
    }
};

int main(int argc, char** argv)
{
    app::Application application(argc, argv);
    TestProgram test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_program.moc"
