// tarnixw-cli read saves exactly what the form's Save File writes after a Read of the same
// device memory in a freshly started program: the CLI over a pseudo-terminal to
// tarnixw-devsim, the real form over the in-process simulator.
#include "CliRun.h"
#include "tests/support/Models.h"

#include "link/Modbus.h"
#include "plix/PlixForm.h"
#include "tests/support/DevSim.h"
#include "tests/support/VyrFormRig.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tarnixw;
using test::runCli;

namespace {

// A device memory far from the defaults, with values the screens round (five significant
// digits, Save File's one-thousandth loss), signed bytes, DI silences below -1, both relay
// bits of a channel, and DO cells at the edges.
QByteArray knownMemory(test::Model model)
{
    sim::Device device(test::describe(model), 1);
    std::span<std::uint8_t> mem = device.memory();
    using link::PutLong;
    using link::PutShort;
    if (model == test::Model::Vyr) {
        PutShort(mem, 32, 0x8005);
        PutLong(mem, 2048 + 4 * 3, std::uint32_t(-2500));
        PutLong(mem, 2240 + 4 * 1, 1234567);
        PutLong(mem, 2176 + 4 * 2, 12345);
        PutLong(mem, 294 + 4 * 4, std::uint32_t(-5000));
        PutLong(mem, 358 + 4 * 9, std::uint32_t(-524272));
        PutLong(mem, 102 + 4 * 5, 777); // a gain: not shown, not saved after a Read
        PutShort(mem, 2304 + 2 * 5, std::uint16_t(-7));
        mem[818 + 6] = 3;
        mem[2432 + 7] = 200;
        PutShort(mem, 422 + 2, 1u << 2);
        PutShort(mem, 428 + 2, 1u << 3);
        PutShort(mem, 422 + 4, 1u << 4);
        PutShort(mem, 428 + 4, 1u << 4);
        PutShort(mem, 2336 + 32 * 1 + 2 * 3, std::uint16_t(-5));
        PutShort(mem, 2336 + 32 * 1 + 2 * 2, 77);
        PutShort(mem, 434 + 6 * 63 + 2 * 2, 0x8000);
        PutShort(mem, 434 + 6 * 17 + 2 * 1, 1u << 3);
        for (int i = 834; i < 850; ++i)
            mem[std::size_t(i)] = std::uint8_t(i);
    } else {
        PutShort(mem, 32, 0x0001);
        PutLong(mem, 2048 + 4, std::uint32_t(-2000));
        PutLong(mem, 2072, 1234567);
        PutLong(mem, 2076, std::uint32_t(-524272));
        PutLong(mem, 74, 123456789);
        PutShort(mem, 2082, std::uint16_t(-7));
        mem[87] = 2;
        mem[2084] = 200;
        PutLong(mem, 46, 777);
    }
    return QByteArray(reinterpret_cast<const char*>(mem.data()), qsizetype(mem.size()));
}

} // namespace

class TestCliForms : public QObject {
    Q_OBJECT

private slots:
    void readEqualsFormSave_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("fast");
        QTest::newRow("VYRANTA, fast") << int(test::Model::Vyr) << true;
        QTest::newRow("PLIXARO, the forms' timing") << int(test::Model::Plix) << false;
    }
    void readEqualsFormSave()
    {
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
        QFETCH(int, model);
        QFETCH(bool, fast);
        const test::Model m = test::Model(model);
        const bool vyr = m == test::Model::Vyr;
        const QByteArray memory = knownMemory(m);
        QTemporaryDir dir;
        QVERIFY(test::writeFileContent(dir.filePath("memory.bin"), memory));

        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({"--model", vyr ? "vyr" : "plix", "--id", "3", "--memory", dir.filePath("memory.bin")}));
        const QString cliFile = dir.filePath(vyr ? "cli.vyx" : "cli.plx");
        QStringList args{"read", "--model", vyr ? "vyr" : "plix", "--port", sim.portPath(), "--id", "3", "-o", cliFile};
        if (fast)
            args << "--fast";
        const test::CliRun r = runCli(args);
        QCOMPARE(r.exitCode, 0);

        const QString formFile = dir.filePath(vyr ? "form.vyx" : "form.plx");
        if (vyr) {
            test::VyrFormRig rig(3);
            QVERIFY(rig.built);
            std::copy(memory.begin(), memory.end(), rig.device.memory().begin());
            rig.form->ModbusID()->setText("3");
            rig.form->ReadClick();
            rig.dialogs.fileAnswers.push_back(formFile);
            rig.form->SaveFileClick();
            QCOMPARE(rig.dialogs.texts(), (QStringList{"Read Done.", "Save File Done."}));
        } else {
            test::SimLine line(m, 3);
            plix::resetModel();
            plix::TFormPLIX form(line.session, [] {});
            std::copy(memory.begin(), memory.end(), line.device.memory().begin());
            form.ModbusID()->setText("3");
            form.ReadClick();
            line.dialogs.fileAnswers.push_back(formFile);
            form.SaveFlieClick();
            QCOMPARE(line.dialogs.texts(), (QStringList{"Read Done.", "Save File Done."}));
        }
        QCOMPARE(test::fileContent(cliFile), test::fileContent(formFile));
    }
};

QTEST_MAIN(TestCliForms)
#include "test_cli_forms.moc"
