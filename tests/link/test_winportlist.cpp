// The Windows port list: the values of a registry key as HARDWARE\DEVICEMAP\SERIALCOMM holds
// them, read in enumeration order, and Check COM over them. The key is a test key of its own
// below the local machine (Wine lets a test write there).
#include "kit/Messages.h"
#include "link/PortList.h"
#include "link/WinSerialPort.h"
#include "tests/support/Restore.h"
#include "tests/support/ScriptedDialogs.h"

#include <QtTest>
#include <windows.h>

using namespace tarnixw;

namespace {

const wchar_t* wide(const QString& s)
{
    return reinterpret_cast<const wchar_t*>(s.utf16());
}

// A registry key with the given values (name, data), in that order; removed at the end.
class TestKey {
public:
    explicit TestKey(const QList<QPair<QString, QString>>& values)
        : m_path(QStringLiteral("Software\\Tarnixw-tests\\portlist-%1").arg(GetCurrentProcessId()))
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, wide(m_path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegCloseKey(key);
        for (const auto& [name, data] : values)
            add(name, data);
    }
    ~TestKey() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, wide(m_path)); }
    const QString& path() const { return m_path; }

    void add(const QString& name, const QString& data) { set(name, data, true); }
    // A value whose stored string lacks the terminating null character.
    void addUnterminated(const QString& name, const QString& data) { set(name, data, false); }

private:
    void set(const QString& name, const QString& data, bool terminated)
    {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(m_path), 0, KEY_ALL_ACCESS, &key);
        RegSetValueExW(key, wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.utf16()),
            DWORD((data.size() + (terminated ? 1 : 0)) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    QString m_path;
};

link::PortList listOf(const QString& key)
{
    link::PortSources sources;
    sources.registryKey = key;
    return link::PortList(sources);
}

} // namespace

class TestWinPortList : public QObject {
    Q_OBJECT

private slots:
    // Windows enumerates values mostly in the order they were written, Wine by name: they are
    // written in name order here, so both agree on the order the list must keep.
    void listsTheValuesInOrder()
    {
        TestKey key({{QStringLiteral("\\Device\\Serial0"), QStringLiteral("COM1")}});
        key.addUnterminated(QStringLiteral("\\Device\\Serial1"), QStringLiteral("COM2"));
        key.add(QStringLiteral("\\Device\\USBSER000"), QStringLiteral("COM12"));
        key.add(QStringLiteral("\\Device\\VCP0"), QStringLiteral("COM5"));
        link::PortList list = listOf(key.path());
        const auto entries = list.refresh();
        QVERIFY(entries);
        QStringList seen;
        for (const link::PortEntry& e : *entries)
            seen << QStringLiteral("%1=%2 %3 %4").arg(e.deviceName, e.portName).arg(e.number).arg(e.devicePath);
        QCOMPARE(seen,
            (QStringList{QStringLiteral("\\Device\\Serial0=COM1 1 \\\\.\\COM1"),
                QStringLiteral("\\Device\\Serial1=COM2 2 \\\\.\\COM2"),
                QStringLiteral("\\Device\\USBSER000=COM12 12 \\\\.\\COM12"),
                QStringLiteral("\\Device\\VCP0=COM5 5 \\\\.\\COM5")}));
        QCOMPARE((*entries)[3].kind, link::PortKind::Usb);
        QCOMPARE(list.find(12)->deviceName, QStringLiteral("\\Device\\USBSER000"));
        QVERIFY(!list.find(3));
    }

    void checkCom_data()
    {
        QTest::addColumn<QStringList>("values"); // name, data, name, data, ...
        QTest::addColumn<QString>("shown"); // the last box
        QTest::addColumn<int>("port"); // 0: none set
        QTest::newRow("the last Device value")
            << QStringList{"\\Device\\Serial0", "COM1", "\\Device\\VCP0", "COM5"} << "COM Port is set to COM5" << 5;
        QTest::newRow("above 15") << QStringList{"\\Device\\USBSER000", "COM12"} << "COM Port is set to COM12" << 12;
        QTest::newRow("a name without Device is passed over")
            << QStringList{"\\Device\\Serial0", "COM1", "Serial9", "COM9"} << "COM Port is set to COM1" << 1;
        QTest::newRow("data without a number")
            << QStringList{"\\Device\\Serial0", "COM1", "\\Device\\Odd", "PRN"} << "COM Port is set to COM1" << 1;
        QTest::newRow("no value") << QStringList{} << "You have no COM Port to select." << 0;
        QTest::newRow("no Device value") << QStringList{"Serial0",
            "COM1"} << "You have no COM Port to select.\nPlease make sure the Ostrell USB COM port cable is connected."
                                         << 0;
    }
    void checkCom()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, shown);
        QFETCH(int, port);
        QList<QPair<QString, QString>> pairs;
        for (qsizetype i = 0; i + 1 < values.size(); i += 2)
            pairs.append({values[i], values[i + 1]});
        TestKey key(pairs);
        link::PortList list = listOf(key.path());
        const test::Installed installed(link::PortList::setSystem, &list);
        test::ScriptedDialogs dialogs;
        const std::optional<int> set = kit::CheckCOM();
        QCOMPARE(set.value_or(0), port);
        QCOMPARE(dialogs.texts().size(), 3);
        QCOMPARE(dialogs.texts().last(), shown);
    }

    // A value that grew after the key's longest sizes were read (an adapter plugged in at that
    // moment) is read again with larger buffers, whole.
    void aValueThatGrewIsReadWhole()
    {
        const QString longName = QStringLiteral("\\Device\\USBSER%1").arg(QString(40, QLatin1Char('0')));
        TestKey key({{longName, QStringLiteral("COM123")}});
        HKEY open = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(key.path()), 0, KEY_READ, &open), LONG(ERROR_SUCCESS));
        const std::optional<link::RegistryValue> value = link::readRegistryValue(open, 0, 1, 2);
        RegCloseKey(open);
        QVERIFY(value);
        QCOMPARE(QString::fromStdWString(value->name), longName);
        QCOMPARE(value->type, static_cast<unsigned long>(REG_SZ));
        QCOMPARE(QString::fromWCharArray(
                     reinterpret_cast<const wchar_t*>(value->data.data()), int(value->data.size() / sizeof(wchar_t))),
            QStringLiteral("COM123") + QChar(0));
    }

    void aKeyThatIsNotThereIsNoList()
    {
        link::PortList list = listOf(QStringLiteral("Software\\Tarnixw-tests\\no-such-key"));
        QVERIFY(!list.refresh());
        const test::Installed installed(link::PortList::setSystem, &list);
        test::ScriptedDialogs dialogs;
        QVERIFY(!kit::CheckCOM());
        QCOMPARE(dialogs.texts().last(), QStringLiteral("Registry -> HARDWAREDEVICEMAPSERIALCOMM Not Found !"));
        // and it was not created by looking
        HKEY key = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tarnixw-tests\\no-such-key", 0, KEY_READ, &key),
            LONG(ERROR_FILE_NOT_FOUND));
    }
};

QTEST_GUILESS_MAIN(TestWinPortList)
#include "test_winportlist.moc"
