// Check COM: the unplug/plug prompts, the choice of the cable's port and every message.
#include "kit/Messages.h"
#include "tests/support/ScriptedDialogs.h"

#include <QTest>

using namespace tarnixw;
using link::PortListValue;

using Values = std::optional<std::vector<PortListValue>>;
Q_DECLARE_METATYPE(Values)

namespace {
const QString kUnplug = "Please unplug the USB COM port cable if connected. \n\n"
                        "                       Then press OK button.";
const QString kPlug = "Please plug the Ostrell USB COM port cable, then press OK button.";
} // namespace

class TestCheckCom : public QObject {
    Q_OBJECT
private slots:
    void chooses_data()
    {
        QTest::addColumn<Values>("values");
        QTest::addColumn<int>("port"); // 0: none set
        QTest::addColumn<QString>("finalText");

        QTest::newRow("last Device wins")
            << Values{{{"\\Device\\Serial0", "COM1"}, {"\\Device\\VCP0", "COM5"}}} << 5 << "COM Port is set to COM5";
        QTest::newRow("two digits") << Values{{{"\\Device\\USBSER000", "COM12"}}} << 12 << "COM Port is set to COM12";
        QTest::newRow("above fifteen") << Values{{{"\\Device\\ttyUSB3", "COM23"}}} << 23 << "COM Port is set to COM23";
        QTest::newRow("name without Device passed over")
            << Values{{{"\\Device\\Serial0", "COM1"}, {"\\Other\\X", "COM9"}}} << 1 << "COM Port is set to COM1";
        QTest::newRow("Device is case sensitive")
            << Values{{{"\\Device\\Serial0", "COM2"}, {"\\DEVICE\\X", "COM9"}}} << 2 << "COM Port is set to COM2";
        QTest::newRow("data without digits skipped")
            << Values{{{"\\Device\\Serial0", "COM3"}, {"\\Device\\Odd", "COMX"}, {"\\Device\\Empty", ""}}} << 3
            << "COM Port is set to COM3";
        QTest::newRow("no key") << Values{} << 0 << "Registry -> HARDWAREDEVICEMAPSERIALCOMM Not Found !";
        QTest::newRow("no values") << Values{std::vector<PortListValue>{}} << 0 << "You have no COM Port to select.";
        QTest::newRow("no Device name") << Values{{{"\\Other\\X", "COM9"}}} << 0
                                        << "You have no COM Port to select.\n"
                                           "Please make sure the Ostrell USB COM port cable is connected.";
        QTest::newRow("only Device names without a number")
            << Values{{{"\\Device\\Odd", "COM"}}} << 0
            << "You have no COM Port to select.\nPlease make sure the Ostrell USB COM port cable is connected.";
    }
    void chooses()
    {
        QFETCH(Values, values);
        QFETCH(int, port);
        QFETCH(QString, finalText);
        test::ScriptedDialogs dialogs;
        int reads = 0;
        dialogs.onShow = [&](const test::Shown&) {
            // The list is read once, after both prompts.
            if (dialogs.shown.size() <= 2)
                QCOMPARE(reads, 0);
        };
        const auto result = kit::CheckCOM([&] {
            ++reads;
            return values;
        });
        QCOMPARE(reads, 1);
        QCOMPARE(dialogs.texts(), (QStringList{kUnplug, kPlug, finalText}));
        for (const test::Shown& s : dialogs.shown)
            QCOMPARE(s.kind, test::Shown::Message);
        QCOMPARE(result.value_or(0), port);
    }

    void trailingNumbers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("COM7") << "COM7" << 7;
        QTest::newRow("COM12") << "COM12" << 12;
        QTest::newRow("COM007") << "COM007" << 7;
        QTest::newRow("COM0") << "COM0" << 0;
        QTest::newRow("COM") << "COM" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("huge") << "COM99999999999999" << 0;
        QTest::newRow("arabic-indic digits") << QString("COM\u0663") << 0;
    }
    void trailingNumbers()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(link::trailingPortNumber(name).value_or(0), number);
    }
};

QTEST_GUILESS_MAIN(TestCheckCom)
#include "test_checkcom.moc"
