// The application shell: splash timing, the main window, the device forms' lifecycle, the
// start-up port check and errors escaping handlers.
#include "app/Application.h"
#include "app/Logo1.h"
#include "app/Main1.h"
#include "kit/FormKit.h"
#include "plix/PlixForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempPorts.h"
#include "vyr/VyrForm.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tarnixw;

namespace {

const QString kSetCom1 = QStringLiteral("COM Port is set to COM1");

// Runs body once the modal device form is up, then closes it.
void whileFormShown(app::TMain& main, const std::function<void(QDialog*)>& body)
{
    QTimer::singleShot(0, &main, [&main, body] {
        QDialog* form = main.deviceForm();
        QVERIFY(form);
        QTRY_VERIFY(form->isVisible());
        body(form);
        form->close();
    });
}

QWidget* nextFocusable(QWidget* w)
{
    for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain())
        if (n->focusPolicy() & Qt::TabFocus)
            return n;
    return nullptr;
}

class Thrower : public QObject {
public:
    enum What { StdError, NotAnError };
    explicit Thrower(What w)
        : m_what(w)
    { }
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            if (m_what == StdError)
                throw std::runtime_error("boom in a handler");
            throw 42;
        }
        return QObject::event(e);
    }

private:
    What m_what;
};

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void splashShowsMainOnTheThirdTickOnly()
    {
        app::TLogo::resetTickCount();
        int shown = 0;
        bool logoVisibleAtShow = true;
        app::TLogo* logoPtr = nullptr;
        app::TLogo logo([&] {
            ++shown;
            logoVisibleAtShow = logoPtr->isVisible();
        });
        logoPtr = &logo;
        logo.Timer1()->stop(); // the test ticks by hand
        logo.show();
        QCOMPARE(logo.Timer1()->interval(), 1000);
        logo.Timer1Timer();
        logo.Timer1Timer();
        QCOMPARE(shown, 0);
        QVERIFY(logo.isVisible());
        logo.Timer1Timer();
        QCOMPARE(shown, 1);
        QVERIFY(!logoVisibleAtShow); // hidden before the main window comes up
        for (int i = 0; i < 5; ++i)
            logo.Timer1Timer(); // later ticks only count
        QCOMPARE(shown, 1);
        QCOMPARE(app::TLogo::tickCount(), 8);
    }

    void splashLayout()
    {
        app::TLogo logo({});
        QCOMPARE(logo.size(), QSize(533, 369));
        QVERIFY(logo.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(logo.Image1()->geometry(), QRect(0, 0, 533, 369));
        QCOMPARE(logo.Image1()->pixmap().size(), QSize(533, 370));
        QVERIFY(logo.Timer1()->isActive());
    }

    void mainWindowLayout()
    {
        test::ScriptedDialogs dialogs;
        app::TMain main({});
        QCOMPARE(main.windowTitle(), QString("TarnixW2011"));
        QCOMPARE(main.size(), QSize(553, 308));
        auto* vyrGroup = main.findChild<QGroupBox*>("GroupBox2");
        auto* plixGroup = main.findChild<QGroupBox*>("GroupBox1");
        QVERIFY(vyrGroup && plixGroup);
        QCOMPARE(vyrGroup->title(), QString("VYRANTA"));
        QCOMPARE(plixGroup->title(), QString("PLIXARO"));
        QVERIFY(vyrGroup->font().bold() && plixGroup->font().bold());
        QCOMPARE(vyrGroup->geometry(), QRect(24, 16, 237, 221));
        QCOMPARE(plixGroup->geometry(), QRect(280, 16, 237, 221));
        auto* vyr = main.findChild<QPushButton*>("VYRButton");
        auto* plix = main.findChild<QPushButton*>("PLIXButton");
        QCOMPARE(vyr->parentWidget(), vyrGroup);
        QCOMPARE(vyr->geometry(), QRect(8, 16, 220, 200));
        QVERIFY(vyr->text().isEmpty());
        QCOMPARE(vyr->iconSize(), QSize(200, 141));
        QCOMPARE(plix->iconSize(), QSize(200, 140));
        QCOMPARE(vyr->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(plix->cursor().shape(), Qt::PointingHandCursor);
        // PLIXARO comes first in the tab order
        QCOMPARE(nextFocusable(plix), vyr);
        QCOMPARE(main.ComIndex(), 0);
        QCOMPARE(main.ComCheckCount(), 0);
    }

    void startUpCheckSetsThePortOnce()
    {
        test::TempPorts ports;
        ports.publish("cable", ports.root());
        test::ScriptedDialogs dialogs;
        app::TMain main({});
        main.show();
        QTRY_COMPARE(dialogs.shown.size(), 3);
        QCOMPARE(dialogs.texts().last(), kSetCom1);
        QCOMPARE(main.ComIndex(), 0);
        QCOMPARE(main.ComCheckCount(), 1);
        // later activations do nothing once a port was set
        main.hide();
        main.show();
        QTest::qWait(20);
        QCOMPARE(dialogs.shown.size(), 3);
    }

    void startUpCheckRunsAgainAfterAFailure()
    {
        test::TempPorts ports; // no port at all
        test::ScriptedDialogs dialogs;
        app::TMain main({});
        main.show();
        QTRY_COMPARE(dialogs.shown.size(), 3);
        QCOMPARE(dialogs.texts().last(), QString("You have no COM Port to select."));
        QCOMPARE(main.ComCheckCount(), 0);
        QTest::qWait(20);
        QCOMPARE(dialogs.shown.size(), 3); // its own boxes do not start it again
        ports.publish("cable", ports.root());
        main.hide();
        main.show(); // the next activation runs it again, prompts included
        QTRY_COMPARE(dialogs.shown.size(), 6);
        QCOMPARE(dialogs.texts().last(), kSetCom1);
        QCOMPARE(main.ComCheckCount(), 1);
    }

    void deviceFormsStartFromTheirDefaultsEveryTime()
    {
        test::TempPorts ports;
        test::ScriptedDialogs dialogs;
        app::TMain main({});
        main.session().ComCheckCount = 1; // the start-up check is done
        main.session().ComIndex = 6;
        main.show();

        QPointer<QDialog> first;
        whileFormShown(main, [&](QDialog* form) {
            first = form;
            QVERIFY(!main.isVisible());
            QCOMPARE(form->windowTitle(), QString("TarnixWPLIX"));
            QCOMPARE(form->size(), QSize(800, 600));
            auto* plix = static_cast<plix::TFormPLIX*>(form);
            QTRY_COMPARE(plix->rdCOM()->currentIndex(), 6); // FormCreate selected ComIndex
            plix->get<QLineEdit>("CH0SensorFrom")->setText("1234");
            plix->rdCOM()->setCurrentIndex(2);
        });
        main.PLIXButtonClick();
        QVERIFY(main.isVisible());
        QVERIFY(first.isNull()); // destroyed when its showing returned
        QCOMPARE(main.ComIndex(), 6);

        whileFormShown(main, [&](QDialog* form) {
            auto* plix = static_cast<plix::TFormPLIX*>(form);
            QCOMPARE(plix->get<QLineEdit>("CH0SensorFrom")->text(), QString("1000"));
            QTRY_COMPARE(plix->rdCOM()->currentIndex(), 6);
        });
        main.PLIXButtonClick();

        whileFormShown(main, [&](QDialog* form) {
            QVERIFY(!main.isVisible());
            QCOMPARE(form->windowTitle(), QString("TarnixWVYR"));
            auto* vyr = static_cast<vyr::TFormVYR*>(form);
            QTRY_COMPARE(vyr->rdCOM()->currentIndex(), 6);
            vyr->ModbusID()->setText("99");
        });
        main.VYRButtonClick();
        whileFormShown(main,
            [&](QDialog* form) { QCOMPARE(static_cast<vyr::TFormVYR*>(form)->ModbusID()->text(), QString("1")); });
        main.VYRButtonClick();
        QVERIFY(main.isVisible());
        QVERIFY(dialogs.shown.isEmpty());
    }

    void checkComOnAFormSelectsThePort()
    {
        test::TempPorts ports;
        for (int i = 0; i < 12; ++i)
            ports.publish(QString("p%1").arg(i, 2, 10, QChar('0')), ports.root());
        test::ScriptedDialogs dialogs;
        kit::Session session;
        plix::TFormPLIX form(session, {});
        form.CheckCOMClick();
        QCOMPARE(dialogs.shown.size(), 3);
        QCOMPARE(dialogs.texts().last(), QString("COM Port is set to COM12"));
        QCOMPARE(form.rdCOM()->currentText(), QString("12"));
        QCOMPARE(session.ComIndex, 11);
        QCOMPARE(form.portNumber(), 12);
        // and it always asks again, even with a port set
        form.CheckCOMClick();
        QCOMPARE(dialogs.shown.size(), 6);
    }

    void portSelectionAsTheUserLeftIt()
    {
        kit::Session session;
        vyr::TFormVYR form(session, {});
        form.selectPortIndex(22); // COM23 has no item among the fifteen: items are added
        QCOMPARE(form.rdCOM()->currentText(), QString("23"));
        QCOMPARE(form.portNumber(), 23);
        form.rdCOM()->setEditText("abc"); // typed: no item selected
        QCOMPARE(form.portNumber(), 0);
        form.rdCOM()->setEditText("7");
        QCOMPARE(form.portNumber(), 7);
        QCOMPARE(form.baudIndex(), 1); // "19200" by design
        form.BaudRate()->setEditText("57600");
        QCOMPARE(form.baudIndex(), -1); // opens at 19200
        form.BaudRate()->setEditText("38400"); // typed, but exactly an item: that item
        QCOMPARE(form.baudIndex(), 2);
    }

    void closingMainClosesTheSplash()
    {
        test::ScriptedDialogs dialogs;
        int closed = 0;
        app::TMain main([&] { ++closed; });
        main.session().ComCheckCount = 1;
        QTimer::singleShot(0, &main, [&] { main.close(); });
        main.exec();
        QCOMPARE(closed, 1);
    }

    void errorsEscapingAHandlerAreShownAndTheProgramGoesOn()
    {
        test::ScriptedDialogs dialogs;
        Thrower stdError(Thrower::StdError);
        Thrower other(Thrower::NotAnError);
        QEvent e1(QEvent::User);
        QCoreApplication::sendEvent(&stdError, &e1);
        QEvent e2(QEvent::User);
        QCoreApplication::sendEvent(&other, &e2);
        QCOMPARE(dialogs.shown.size(), 2);
        QCOMPARE(dialogs.shown[0].kind, test::Shown::Error);
        QCOMPARE(dialogs.shown[0].text, QString("boom in a handler"));
        QCOMPARE(dialogs.shown[1].kind, test::Shown::Error);
        QCOMPARE(dialogs.shown[1].text, QString());
    }

    void applicationTitle_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("installed") << "/usr/bin/tarnixw"
                                   << "tarnixw";
        QTest::newRow("upper case with extension") << "C:/Tools/TARNIXW.EXE"
                                                   << "Tarnixw";
        QTest::newRow("mixed") << "./build/app/TarNixW"
                               << "Tarnixw";
    }
    void applicationTitle()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(kit::titleFromProgramPath(path), title);
    }
};

int main(int argc, char** argv)
{
    app::Application application(argc, argv);
    TestShell test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_shell.moc"
