// Writes the seed corpora of the fuzz targets into the directory given (fuzz/corpus): the
// answers the simulated devices give to the link's requests, healthy and with each fault;
// the configuration files of a freshly built screen; typed texts; JSON configurations. Run by hand when a format
// changes: fuzz_make_seeds fuzz/corpus
#include "cli/Config.h"
#include "cli/JsonFormat.h"
#include "link/IdSearch.h"
#include "link/ModbusLink.h"
#include "plix/PlixDescription.h"
#include "plix/PlixModel.h"
#include "sim/Device.h"
#include "vyr/VyrDescription.h"
#include "vyr/VyrFile.h"
#include "vyr/VyrScreen.h"
#include "vyr/VyrTransfer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <deque>

using namespace tarnixw;

namespace {

// Hands each request to a simulated device and records its answer as one length-prefixed
// answer of fuzz_link_answer's input.
class RecordingPort final : public link::SerialPort {
public:
    explicit RecordingPort(QByteArray& out)
        : m_out(out)
    { }
    sim::Device* device = nullptr;

    bool isOpen() const override { return true; }
    void purge() override { m_received.clear(); }
    void purgeReceive() override { m_received.clear(); }
    long write(std::span<const std::uint8_t> bytes) override
    {
        const sim::Device::Reply reply = device->handle(bytes);
        const std::size_t n = reply.bytes.size();
        if (n < 0xFF) {
            m_out.append(char(n));
        } else {
            m_out.append(char(0xFF));
            m_out.append(char(n >> 8));
            m_out.append(char(n & 0xFF));
        }
        m_out.append(reinterpret_cast<const char*>(reply.bytes.data()), qsizetype(n));
        m_received.insert(m_received.end(), reply.bytes.begin(), reply.bytes.end());
        return long(bytes.size());
    }
    std::size_t bytesAvailable() override { return m_received.size(); }
    std::size_t read(std::span<std::uint8_t> out) override
    {
        const std::size_t n = std::min(out.size(), m_received.size());
        std::copy_n(m_received.begin(), n, out.begin());
        m_received.erase(m_received.begin(), m_received.begin() + long(n));
        return n;
    }
    void close() override { }

private:
    QByteArray& m_out;
    std::deque<std::uint8_t> m_received;
};

// A literal's bytes, embedded zero bytes included.
template <std::size_t N> QByteArray literal(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

void writeSeed(const QString& dir, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
}

// The same operations, in the same order, as fuzz_link_answer runs them.
QByteArray linkSeed(std::uint8_t id, const sim::Faults& vyrFaults, const sim::Faults& plixFaults)
{
    QByteArray out;
    out.append(char(0)); // control: answers as they are
    out.append(char(id - 1));
    RecordingPort port(out);
    link::VirtualClock clock;
    sim::Device vyrDevice(vyr::description(), id);
    sim::Device plixDevice(plix::description(), id);
    vyrDevice.faults() = vyrFaults;
    plixDevice.faults() = plixFaults;

    port.device = &vyrDevice;
    link::ModelBuffers vyrBuffers = link::ModelBuffers::sized(2048, 2048, 1218);
    link::ModbusLink read(vyrBuffers, port, clock);
    read.SlaveId = id;
    if (read.ReadBlocks(32, 13, 64, 50, 0))
        read.ReadBlocks(2048, 7, 64, 16, 818);

    port.device = &plixDevice;
    link::ModelBuffers plixBuffers = link::ModelBuffers::sized(1024, 1024, 94);
    const plix::StagingResult staged = plix::stageValues(plix::Texts::defaults(), {true, true});
    plix::PLIXParamSet paramSet;
    link::ModbusLink write(plixBuffers, port, clock);
    write.SlaveId = id;
    auto& request = plixBuffers.RequestBuffer;
    request[7] = 0xA5;
    request[8] = 0x5A;
    const link::StepResult opened = write.WriteRegisters(4010, 2, 56);
    plix::PackBlockA(*staged.value, request, 7, paramSet);
    write.WriteRegisters(plix::kBlockAAddress, plix::kBlockASize, 56);
    plix::PackBlockB(*staged.value, request, 7, paramSet);
    write.WriteRegisters(plix::kBlockBAddress, plix::kBlockBSize, 38);
    request[7] = 0xFF;
    request[8] = 0xFF;
    link::WriteStepRules closing;
    closing.runWhenStopped = true;
    closing.sendOnce = opened == link::StepResult::Failed;
    write.WriteRegisters(4010, 2, 56, {}, closing);

    link::ModelBuffers searchBuffers = link::ModelBuffers::sized(2048, 2048, 1218);
    link::ModbusLink search(searchBuffers, port, clock);
    link::IdSearch(search, {}, vyr::idSearchProgress);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds CORPUS_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);

    const QString linkDir = root + QStringLiteral("/fuzz_link_answer");
    writeSeed(linkDir, QStringLiteral("healthy-id1"), linkSeed(1, {}, {}));
    writeSeed(linkDir, QStringLiteral("healthy-id7"), linkSeed(7, {}, {}));
    sim::Faults silentOnce;
    silentOnce.silentNext = 1;
    writeSeed(linkDir, QStringLiteral("silent-first-then-answers"), linkSeed(3, silentOnce, silentOnce));
    sim::Faults exception;
    exception.exceptionCode = 2;
    writeSeed(linkDir, QStringLiteral("exception-answers"), linkSeed(1, exception, exception));
    sim::Faults truncated;
    truncated.truncate = true;
    writeSeed(linkDir, QStringLiteral("truncated-answers"), linkSeed(1, truncated, truncated));
    sim::Faults damaged;
    damaged.badCrc = true;
    writeSeed(linkDir, QStringLiteral("damaged-crc"), linkSeed(1, damaged, damaged));
    sim::Faults otherId;
    otherId.wrongId = 9;
    writeSeed(linkDir, QStringLiteral("other-slave-id"), linkSeed(1, otherId, {}));

    // Files of a freshly built screen, as Save File writes them.
    vyr::VYRParamSet record;
    if (vyr::recordScreen(vyr::Screen::defaults(), record))
        return 1;
    const QByteArray vyrFile = vyr::fileBytes(record);
    writeSeed(root + QStringLiteral("/fuzz_vyr_file"), QStringLiteral("defaults.vyx"), vyrFile);
    writeSeed(root + QStringLiteral("/fuzz_vyr_file"), QStringLiteral("short.vyx"), vyrFile.left(100));
    plix::PLIXParamSet paramSet;
    if (plix::captureForSave(plix::Texts::defaults(), {true, true}, paramSet))
        return 1;
    const QByteArray plixFile = paramSet.toBytes();
    writeSeed(root + QStringLiteral("/fuzz_plix_file"), QStringLiteral("defaults.plx"), plixFile);
    paramSet.setEnableMask(0x0002);
    paramSet.setSilenceTime(1, 0xFFFF);
    paramSet.setHysteresis(0, 0xFF);
    writeSeed(
        root + QStringLiteral("/fuzz_plix_file"), QStringLiteral("ch1-only-negative-silence.plx"), paramSet.toBytes());
    writeSeed(root + QStringLiteral("/fuzz_plix_file"), QStringLiteral("vyr-file.vyx"), vyrFile);
    writeSeed(
        root + QStringLiteral("/fuzz_plix_file"), QStringLiteral("one-byte-long.plx"), plixFile + QByteArray(1, 0));

    // Typed texts: first byte picks the box, the rest is its text.
    const QString numbers = root + QStringLiteral("/fuzz_numbers");
    writeSeed(numbers, QStringLiteral("defaults"),
        literal("\0001000\n\0015000\n\0020.000\n\003100.000\n\00440.000\n\00560.000\n\00630\n\0071\n\0100.5"));
    writeSeed(
        numbers, QStringLiteral("integers"), literal("12\n-10000\n 30 \n+7\n2147483647\n-2147483648\n2147483648"));
    writeSeed(
        numbers, QStringLiteral("numbers"), literal("0.5\n-2.5\n100.000\n1e3\n.5\n-999\n9999.0004\n5.04\n-0.0004"));
    writeSeed(numbers, QStringLiteral("not-numbers"), literal("nan\ninf\n0x10\n1.5.2\n\n-\n1e\n\t\n12a"));
    writeSeed(numbers, QStringLiteral("equal-sensors"), literal("\0005000\n\0015000\n\011-3\n\012-3"));
    writeSeed(numbers, QStringLiteral("di-silence"), literal("\200\005-1\n\201\01732767\n\202\00040000"));
    writeSeed(numbers, QStringLiteral("large"), literal("1e30\n-3.4e38\n99999.5\n123456789012\n1e-30"));

    // JSON configurations: both templates, files far from them, and a few that are refused.
    const QString json = root + QStringLiteral("/fuzz_cli_json");
    vyr::VYRParamSet vyrRecord = vyr::recordOf(vyr::description().defaults());
    writeSeed(json, QStringLiteral("vyr-template.json"), cli::configToJson(vyr::configurationOf(vyrRecord)));
    writeSeed(json, QStringLiteral("plix-template.json"), cli::configToJson(plix::description().defaults()));
    vyrRecord.DIOpenMask[1] = 0x8421;
    vyrRecord.DICloseMask[1] = 0x0001;
    vyrRecord.diSilence(2, 15) = -32768;
    vyrRecord.doMapMask(63, 2) = 0xFFFF;
    vyrRecord.HLimit[5] = -2147483647 - 1;
    vyrRecord.Hysteresis[3] = 255;
    vyrRecord.Gain[0] = 25000;
    writeSeed(json, QStringLiteral("vyr-edges.json"), cli::configToJson(vyr::configurationOf(vyrRecord)));
    writeSeed(json, QStringLiteral("plix-edges.json"), cli::configToJson(plix::configurationOf(paramSet)));
    writeSeed(json, QStringLiteral("refused.json"),
        literal("{\"format\": 1, \"model\": \"PLIXARO\", \"channels\": [{\"channel\": 0, \"pv_to\": 1.0005}], "
                "\"extra\": [1, \"x\", null, {}]}"));
    return 0;
}
