#include "link/IdSearch.h"
#include "sim/Device.h"
#include "sim/InProcessPort.h"
#include "tests/support/Models.h"
#include "vyr/VyrTransfer.h"

#include <QtTest>

using namespace tarnixw;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct SearchRun {
    std::optional<std::uint8_t> found;
    QList<int> searching;
    QList<int> progress;
    QList<int> foundIds;
    std::vector<Bytes> written;
    std::int64_t elapsedNs = 0;
    int hookCalls = 0;
};

SearchRun search(int deviceId, const std::function<int(int)>& rule, const std::function<void(sim::Device&)>& setup = {},
    bool fast = false)
{
    SearchRun run;
    link::VirtualClock clock;
    sim::Device device(test::describe(test::Model::Vyr), std::uint8_t(deviceId));
    if (setup)
        setup(device);
    sim::InProcessPort port(device, clock, 9600);
    link::ModelBuffers buffers = link::ModelBuffers::sized(2048, 2048, 1218);
    link::ModbusLink l(buffers, port, clock, [&](std::optional<int> v) {
        ++run.hookCalls;
        QVERIFY(!v); // the bar does not move during a probe's wait
    });
    l.setFastAnswers(fast);
    link::IdSearchUi ui;
    ui.showSearching = [&](int c) { run.searching << c; };
    ui.setProgress = [&](int v) { run.progress << v; };
    ui.setFoundId = [&](int id) { run.foundIds << id; };
    const std::int64_t start = clock.nowNs();
    run.found = link::IdSearch(l, ui, rule);
    run.elapsedNs = clock.nowNs() - start;
    run.written = port.written();
    return run;
}

constexpr std::int64_t kProbeWaitNs = 16 * 15'000'000LL;

} // namespace

class TestIdSearch : public QObject {
    Q_OBJECT

private slots:
    // With fast answers the probe that is answered ends when its answer is in; the silent
    // candidates before it still wait their full 16 steps.
    void fastSearchEndsAtTheAnswer()
    {
        const SearchRun run = search(3, link::idSearchProgress, {}, true);
        QCOMPARE(run.found, std::optional<std::uint8_t>(3));
        const std::int64_t answer = link::lineTimeNs(8 + 7, 9600);
        QVERIFY(run.elapsedNs >= 2 * kProbeWaitNs + answer);
        QVERIFY(run.elapsedNs <= 2 * kProbeWaitNs + answer + 100'000);
    }

    void findsFirstId()
    {
        const SearchRun run = search(1, vyr::idSearchProgress);
        QCOMPARE(run.found, std::optional<std::uint8_t>(1));
        QCOMPARE(run.searching, QList<int>{1});
        QCOMPARE(run.foundIds, QList<int>{1});
        QCOMPARE(run.written.size(), std::size_t(1));
        QCOMPARE(run.written[0], (Bytes{0x01, 0x04, 0x10, 0x00, 0x00, 0x01, 0x35, 0x0A}));
        QCOMPARE(run.elapsedNs, kProbeWaitNs);
        QCOMPARE(run.hookCalls, 16);
    }

    void finds247_data()
    {
        QTest::addColumn<bool>("vyr");
        QTest::addColumn<int>("lastBar");
        QTest::newRow("VYR") << true << 98;
        QTest::newRow("PLIX") << false << 96;
    }
    void finds247()
    {
        QFETCH(bool, vyr);
        QFETCH(int, lastBar);
        const SearchRun run = search(247, vyr ? vyr::idSearchProgress : link::idSearchProgress);
        QCOMPARE(run.found, std::optional<std::uint8_t>(247));
        QCOMPARE(run.written.size(), std::size_t(247));
        QCOMPARE(int(run.written.back()[0]), 247);
        QCOMPARE(run.searching.size(), 247);
        QCOMPARE(run.searching.back(), 247);
        QCOMPARE(run.progress.back(), lastBar);
        QCOMPARE(run.elapsedNs, 247 * kProbeWaitNs);
    }

    void findsNothing()
    {
        const SearchRun run = search(1, vyr::idSearchProgress, [](sim::Device& d) { d.faults().silentEvery = 1; });
        QVERIFY(!run.found);
        QCOMPARE(run.written.size(), std::size_t(255));
        QVERIFY(run.foundIds.isEmpty());
        // The VYR bar is full from candidate 250 on (progress after candidate 249's turn).
        QCOMPARE(run.progress[248], 100);
        QCOMPARE(run.progress[247], 98);
        QCOMPARE(run.progress.back(), 102);
        QCOMPARE(run.elapsedNs, 255 * kProbeWaitNs);
    }

    // Answers that are not an intact probe answer of the candidate are passed over.
    void unacceptableAnswers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("exception") << 0;
        QTest::newRow("bad CRC") << 1;
        QTest::newRow("truncated") << 2;
        QTest::newRow("another id") << 3;
        QTest::newRow("late") << 4;
    }
    void unacceptableAnswers()
    {
        QFETCH(int, kind);
        const SearchRun run = search(5, link::idSearchProgress, [kind](sim::Device& d) {
            switch (kind) {
            case 0:
                d.faults().exceptionCode = 2;
                break;
            case 1:
                d.faults().badCrc = true;
                break;
            case 2:
                d.faults().truncate = true;
                break;
            case 3:
                d.faults().wrongId = 6;
                break;
            case 4:
                d.faults().lateMs = 250;
                break;
            }
        });
        QVERIFY(!run.found);
        QCOMPARE(run.written.size(), std::size_t(255));
        QVERIFY(run.foundIds.isEmpty());
    }

    void progressRules()
    {
        QCOMPARE(vyr::idSearchProgress(4), 0);
        QCOMPARE(vyr::idSearchProgress(9), 2);
        QCOMPARE(vyr::idSearchProgress(250), 100);
        QCOMPARE(link::idSearchProgress(255), 100);
        QCOMPARE(link::idSearchProgress(254), 99);
    }
};

QTEST_GUILESS_MAIN(TestIdSearch)
#include "test_idsearch.moc"
