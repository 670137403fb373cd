// The Windows build's device operations in real time: the forms' Read and Write through the
// Win32 port to tarnixw-devsim processes on COM ports that Wine maps onto their
// pseudo-terminals (tools/windows.sh bench maps them). Prints each operation's wall time
// against its nominal floor, the fixed waits: VYRANTA Read and Write 20 x 16 x 15 ms = 4.8 s;
// PLIXARO Write 206 steps = 3.09 s, Read 7 x 16 steps = 1.68 s. Goal: a ratio of at most 1.01.
// Run: bench_wine_line VYR_COM_NUMBER PLIX_COM_NUMBER [rounds]
#include "plix/PlixForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "vyr/VyrForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tarnixw;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Times `operation` `rounds` times; false when it did not end with `done`.
bool timeRounds(int rounds, test::ScriptedDialogs& dialogs, const QString& done, const std::function<void()>& operation,
    std::vector<double>& seconds)
{
    for (int r = 0; r < rounds; ++r) {
        dialogs.clear();
        QElapsedTimer t;
        t.start();
        operation();
        seconds.push_back(double(t.nsecsElapsed()) / 1e9);
        if (dialogs.texts() != QStringList{done}) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(done), qPrintable(dialogs.texts().join(QLatin1String(" | "))));
            return false;
        }
    }
    return true;
}

void report(const char* what, const std::vector<double>& seconds, double floor)
{
    std::printf("  %-14s median %.3f s, worst %.3f s; floor %.2f s; ratio %.4f (goal <= 1.01)\n", what, median(seconds),
        *std::max_element(seconds.begin(), seconds.end()), floor, median(seconds) / floor);
}

// A form of the model on COM `port`, shown, its port chosen after its own selection.
template <class Form> bool prepare(Form& form, int port)
{
    form.show();
    if (!QTest::qWaitFor([&] { return form.formCreatedThisShowing(); }))
        return false;
    if constexpr (std::is_same_v<Form, vyr::TFormVYR>)
        if (!QTest::qWaitFor([&] { return form.isBuilt(); }))
            return false;
    form.selectPortIndex(port - 1);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_wine_line VYR_COM_NUMBER PLIX_COM_NUMBER [rounds]\n");
        return 2;
    }
    const int vyrPort = atoi(argv[1]);
    const int plixPort = atoi(argv[2]);
    const int rounds = argc > 3 ? std::max(1, atoi(argv[3])) : 5;
    test::ScriptedDialogs dialogs;
    kit::Session session;

    std::vector<double> vyrReads, vyrWrites, plixReads, plixWrites;
    {
        vyr::TFormVYR form(session, [] {});
        if (!prepare(form, vyrPort)
            || !timeRounds(
                rounds, dialogs, QStringLiteral("Write Done."), [&] { form.WriteClick(); }, vyrWrites)
            || !timeRounds(
                rounds, dialogs, QStringLiteral("Read Done."), [&] { form.ReadClick(); }, vyrReads))
            return 1;
    }
    {
        plix::TFormPLIX form(session, [] {});
        if (!prepare(form, plixPort)
            || !timeRounds(
                rounds, dialogs, QStringLiteral("Write Done."), [&] { form.WriteClick(); }, plixWrites)
            || !timeRounds(
                rounds, dialogs, QStringLiteral("Read Done."), [&] { form.ReadClick(); }, plixReads))
            return 1;
    }
    std::printf("Windows build under Wine, Win32 port to tarnixw-devsim, %d rounds (median, worst)\n", rounds);
    report("VYRANTA Read", vyrReads, 4.8);
    report("VYRANTA Write", vyrWrites, 4.8);
    report("PLIXARO Write", plixWrites, 3.09);
    report("PLIXARO Read", plixReads, 1.68);
    return 0;
}
