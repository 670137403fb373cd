// Renders every window and page of the program into PNG files, for people who would rather
// look than read: the splash, the main window, the PLIXARO form (defaults, and after a Read
// from a simulated device with CH1 disabled) and the five VYRANTA pages (after a Read from a
// simulated device). Run it under X (tools/screenshots.sh starts Xvfb).
//   screenshots <output dir>
#include "app/Application.h"
#include "app/Logo1.h"
#include "app/Main1.h"
#include "kit/Dialogs.h"
#include "kit/FormKit.h"
#include "link/Clock.h"
#include "link/ComPort.h"
#include "link/Modbus.h"
#include "link/PortList.h"
#include "plix/PlixForm.h"
#include "plix/PlixModel.h"
#include "resources/Artwork.h"
#include "sim/Device.h"
#include "sim/InProcessPort.h"
#include "sim/SimPortOpener.h"
#include "tests/support/Models.h"
#include "vyr/VyrForm.h"
#include "vyr/VyrModel.h"

#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace tarnixw;

namespace {

// Boxes are printed, never shown: the pictures are of the windows.
class PrintedDialogs final : public kit::Dialogs {
public:
    void message(const QString& text, const QString&) override { std::printf("  [box] %s\n", qPrintable(text)); }
    void systemMessage(const QString& c, const QString& t, const QString&) override
    {
        std::printf("  [%s] %s\n", qPrintable(c), qPrintable(t));
    }
    void error(const QString& text) override { std::printf("  [error] %s\n", qPrintable(text)); }
    std::optional<QString> openFileName(const kit::FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const kit::FileDialogSpec&) override { return std::nullopt; }
};

QString g_out;

void settle(int ms = 60)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void shoot(QWidget* w, const QString& name)
{
    w->show();
    w->raise();
    w->activateWindow();
    settle();
    const QString path = g_out + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

void put32(sim::Device& d, int address, std::int32_t v)
{
    link::PutLong(d.memory(), address, std::uint32_t(v));
}
void put16(sim::Device& d, int address, std::int16_t v)
{
    link::PutShort(d.memory(), address, std::uint16_t(v));
}
void put8(sim::Device& d, int address, std::int8_t v)
{
    link::PutByte(d.memory(), address, std::uint8_t(v));
}

// A PLIXARO in use: CH0 a 4..20 mA loop over 0..250 kPa, CH1 switched off.
void fillPlix(sim::Device& d)
{
    put16(d, 32, 0x0001);
    put32(d, 70, 200000); // CH0 high alarm 200.000
    put32(d, 78, 25500); // CH0 low alarm 25.500
    put8(d, 86, 2); // CH0 digits
    put32(d, 2048, 800); // CH0 sensor from
    put32(d, 2056, 4000); // CH0 sensor to
    put32(d, 2064, 0); // CH0 P.V. from
    put32(d, 2072, 250000); // CH0 P.V. to
    put16(d, 2080, 15); // CH0 silence
    put8(d, 2084, 10); // CH0 hysteresis 1.0
}

// A VYRANTA in use: channels 0..9 in use with varied ranges, DI module 0 half in use with
// one alarm off, a few DO assignments.
void fillVyr(sim::Device& d)
{
    put16(d, 32, 0x03FF);
    for (int k = 0; k < 16; ++k) {
        put32(d, 294 + 4 * k, 80000 + 1000 * k); // high alarm
        put32(d, 358 + 4 * k, 20000 - 500 * k); // low alarm
        put8(d, 818 + k, std::int8_t(k % 4)); // digits
        put32(d, 2048 + 4 * k, k < 8 ? 1000 : 0); // sensor from
        put32(d, 2112 + 4 * k, k < 8 ? 5000 : 10000); // sensor to
        put32(d, 2176 + 4 * k, -50000 + 2500 * k); // P.V. from
        put32(d, 2240 + 4 * k, 150000 + 12345 * k); // P.V. to
        put16(d, 2304 + 2 * k, std::int16_t(10 + k)); // analog silence
        put8(d, 2432 + k, std::int8_t(k % 6)); // hysteresis
    }
    put16(d, 422, 0x00F0); // DI module 0: channels 4..7 Close
    put16(d, 428, 0x0F00); // DI module 0: channels 8..11 Open
    put16(d, 2336 + 2 * 9, -1); // DI module 0 channel 9: alarm off
    for (int c = 0; c < 64; c += 5)
        for (int m = 0; m < 3; ++m)
            put16(d, 434 + 6 * c + 2 * m, std::int16_t(1u << ((c + m * 3) % 16)));
}

} // namespace

int main(int argc, char** argv)
{
    app::Application application(argc, argv);
    PrintedDialogs dialogs;
    kit::setDialogs(&dialogs);
    application.setFont(kit::formFont());
    application.setWindowIcon(artwork::programIcon());
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QDir().mkpath(g_out);

    // COM1 is a simulated device, reached in virtual time.
    QTemporaryDir portDir;
    QDir(portDir.path()).mkpath(QStringLiteral("ports"));
    QFile::link(QStringLiteral("/dev/null"), portDir.path() + QStringLiteral("/ports/simulated"));
    link::PortList ports(link::PortSources::at(
        portDir.path() + QStringLiteral("/none"), portDir.path(), portDir.path() + QStringLiteral("/ports")));
    link::PortList::setSystem(&ports);
    link::VirtualClock clock;
    link::setOperationClock(&clock);

    {
        app::TLogo logo({});
        logo.Timer1()->stop();
        shoot(&logo, QStringLiteral("01-splash"));
    }
    {
        app::TMain main({});
        main.session().ComCheckCount = 1; // the port check has run
        shoot(&main, QStringLiteral("02-main"));
    }
    kit::Session session;
    {
        plix::TFormPLIX form(session, {});
        shoot(&form, QStringLiteral("03-plix-defaults"));
    }
    {
        sim::Device device(test::describe(test::Model::Plix), 1);
        fillPlix(device);
        sim::InProcessPort port(device, clock);
        sim::SimPortOpener opener(port);
        link::ComPort::setOpener(&opener);
        plix::TFormPLIX form(session, {});
        form.show();
        settle();
        form.ReadClick();
        shoot(&form, QStringLiteral("04-plix-read-ch1-disabled"));
        form.hide();
        link::ComPort::setOpener(nullptr);
    }
    {
        sim::Device device(test::describe(test::Model::Vyr), 1);
        fillVyr(device);
        sim::InProcessPort port(device, clock);
        sim::SimPortOpener opener(port);
        link::ComPort::setOpener(&opener);
        vyr::TFormVYR form(session, {});
        form.show();
        settle(200); // the pages are built on the first activation
        form.ReadClick();
        const char* pages[] = {"05-vyr-analog-inputs", "06-vyr-digital-inputs", "07-vyr-do-module-0",
            "08-vyr-do-module-1", "09-vyr-do-module-2"};
        for (int i = 0; i < 5; ++i) {
            form.PageControl1()->setCurrentIndex(i);
            shoot(&form, QLatin1String(pages[i]));
        }
        form.hide();
        link::ComPort::setOpener(nullptr);
    }
    link::setOperationClock(nullptr);
    link::PortList::setSystem(nullptr);
    return 0;
}
