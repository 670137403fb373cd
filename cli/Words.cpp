#include "Words.h"

#include "Fields.h"

#include "link/DeviceConstants.h"
#include "link/Traffic.h"
#include "plix/PlixPack.h"
#include "vyr/VyrPack.h"

#include <QRegularExpression>
#include <map>
#include <set>

namespace tarnixw::cli {

namespace {

const QString kNextSteps = QStringLiteral("Check the slave ID ('tarnixw-cli search'), the baud rate and the wiring; "
                                          "--trace shows every frame.");

// The device memory as a Write lays it: byte address -> value.
std::map<int, std::uint8_t> deviceBytes(const Config& c)
{
    std::map<int, std::uint8_t> out;
    const auto place = [&](const std::vector<std::uint8_t>& bytes, int from, int count) {
        for (int i = 0; i < count; ++i)
            out[from + i] = bytes[std::size_t(i)];
    };
    std::vector<std::uint8_t> image(2048);
    if (c.model == Model::Vyr) {
        vyr::layParamArea1(image, 0, c.vyr);
        place(image, 32, vyr::kArea1PackedBytes);
        vyr::layParamArea2(image, 0, c.vyr);
        place(image, 2048, vyr::kArea2PackedBytes);
    } else {
        plix::layBlockA(c.plix, image, 0);
        place(image, plix::kBlockAAddress, plix::kBlockASize);
        plix::layBlockB(c.plix, image, 0);
        place(image, plix::kBlockBAddress, plix::kBlockBSize);
    }
    return out;
}

// The group a value belongs to, as the user names it: "AI 3", "DI module 1", "DO module 2",
// "CH0"; empty for the words no form shows (masks of no channel, fixed words).
QString groupOf(const QString& label)
{
    static const QRegularExpression group(QStringLiteral("^(AI \\d+|DI module \\d+|DO module \\d+|CH\\d)"));
    const QRegularExpressionMatch m = group.match(label);
    return m.hasMatch() ? m.captured(1) : QString();
}

// Which device bytes each value of the model occupies: found by changing the value alone
// and laying both configurations as a Write does, so the layouts are the packers' own.
const std::vector<std::set<int>>& addressesOf(Model model)
{
    static std::map<Model, std::vector<std::set<int>>> cache;
    auto [it, fresh] = cache.try_emplace(model);
    if (!fresh)
        return it->second;
    const std::vector<Field>& fields = fieldsOf(model);
    Config base;
    base.model = model;
    const std::map<int, std::uint8_t> before = deviceBytes(base);
    for (const Field& f : fields) {
        std::set<int> at;
        if (f.onDevice && f.format != Format::Identity) {
            Config changed = base;
            const std::int64_t v = f.get(base);
            f.set(changed, f.format == Format::Flag ? 1 - v : (v < f.max ? v + 1 : v - 1));
            for (const auto& [address, value] : deviceBytes(changed))
                if (before.at(address) != value)
                    at.insert(address);
        }
        it->second.push_back(std::move(at));
    }
    return it->second;
}

// "AI 0–5, 9", "the DI modules", "DO module 1", "both channels".
QString named(const QString& family, const std::set<int>& numbers, int all)
{
    if (family == QLatin1String("CH"))
        return int(numbers.size()) == all ? QStringLiteral("both channels")
                                          : QStringLiteral("CH%1").arg(*numbers.begin());
    if (family != QLatin1String("AI") && int(numbers.size()) == all)
        return QStringLiteral("the %1s").arg(family);
    QStringList runs;
    for (auto it = numbers.begin(); it != numbers.end();) {
        const int first = *it;
        int last = first;
        while (++it != numbers.end() && *it == last + 1)
            last = *it;
        runs << (first == last ? QString::number(first) : QStringLiteral("%1\u2013%2").arg(first).arg(last));
    }
    const bool many = numbers.size() > 1;
    return QStringLiteral("%1%2 %3").arg(family,
        many && family != QLatin1String("AI") ? QStringLiteral("s") : QString(), runs.join(QStringLiteral(", ")));
}

// The groups, family by family, as one list: "AI 0–5 and the DI modules".
QString listed(const std::map<QString, std::set<int>>& byFamily)
{
    static const std::map<QString, int> all{{QStringLiteral("AI"), 16}, {QStringLiteral("DI module"), 3},
        {QStringLiteral("DO module"), 3}, {QStringLiteral("CH"), 2}};
    QStringList parts;
    for (const QString& family :
        {QStringLiteral("AI"), QStringLiteral("DI module"), QStringLiteral("DO module"), QStringLiteral("CH")})
        if (const auto it = byFamily.find(family); it != byFamily.end() && !it->second.empty())
            parts << named(family, it->second, all.at(family));
    if (parts.size() <= 1)
        return parts.value(0);
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + parts.last();
}

void addGroup(std::map<QString, std::set<int>>& byFamily, const QString& group)
{
    static const QRegularExpression split(QStringLiteral("^(.*?) ?(\\d+)$"));
    const QRegularExpressionMatch m = split.match(group);
    if (m.hasMatch())
        byFamily[m.captured(1)].insert(m.captured(2).toInt());
}

} // namespace

QString openFailure(const link::OpenOutcome& o)
{
    switch (o.error) {
    case link::OpenError::NoSuchPort:
        return QStringLiteral("OPEN COM ERROR!! %1 is not connected; see 'tarnixw-cli ports'.").arg(o.port);
    case link::OpenError::Busy:
        return QStringLiteral("OPEN COM ERROR!! %1 is in use by another program; close it and try again.").arg(o.port);
    case link::OpenError::PermissionDenied:
        return QStringLiteral("OPEN COM ERROR!! You may not use %1: add your user to the 'dialout' group "
                              "(sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(o.port);
    case link::OpenError::SetupFailed:
        return QStringLiteral("COM SETUP ERROR!!! %1 does not take the line settings (%2).")
            .arg(o.port, QString::fromStdString(o.detail));
    default:
        return QStringLiteral("OPEN COM ERROR!! %1: %2.").arg(o.port, QString::fromStdString(o.detail));
    }
}

QString stopFailure(const link::Exchanges& e)
{
    // "an answer from slave 5", "a damaged frame (bad CRC)"
    const QString verdict = link::describeVerdict(e.lastAnswer);
    const QString withArticle
        = (QStringLiteral("aeiou").contains(verdict.left(1)) ? QStringLiteral("an ") : QStringLiteral("a ")) + verdict;
    if (e.reason == link::StopReason::ResponseError)
        return QStringLiteral("Response Error !! The device answered with %1; is it the model named, at this slave "
                              "ID? --trace shows every frame.")
            .arg(withArticle);
    if (e.lastAnswer.kind == link::Verdict::Kind::Silence)
        return QStringLiteral("Device No Response !! Nothing came back. %1").arg(kNextSteps);
    if (e.lastAnswer.kind == link::Verdict::Kind::Answer) // it answered, then went quiet
        return QStringLiteral("Device No Response !! The device answered, then fell silent. %1").arg(kNextSteps);
    return QStringLiteral("Device No Response !! The last answer was %1. %2").arg(withArticle, kNextSteps);
}

QString writtenState(const Config& ready, const std::vector<link::Request>& answered)
{
    // The device bytes the answered writes carried (the PLIXARO's write-enable aside).
    std::set<int> written;
    int enableWrites = 0;
    for (const link::Request& r : answered) {
        if (r.function != link::kWriteMultiple)
            continue;
        if (ready.model == Model::Plix && r.address == link::device::kPlixWriteEnableRegister) {
            ++enableWrites;
            continue;
        }
        for (int a = r.address; a < r.address + 2 * r.quantity; ++a)
            written.insert(a);
    }
    const std::vector<Field>& fields = fieldsOf(ready.model);
    const std::vector<std::set<int>>& addresses = addressesOf(ready.model);
    std::map<QString, std::pair<int, int>> groups; // group -> values written, values in all
    int onDevice = 0;
    int done = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (addresses[i].empty())
            continue;
        const bool isWritten
            = std::all_of(addresses[i].begin(), addresses[i].end(), [&](int a) { return written.count(a) != 0; });
        ++onDevice;
        done += isWritten ? 1 : 0;
        if (const QString g = groupOf(fields[i].label); !g.isEmpty()) {
            groups[g].second += 1;
            groups[g].first += isWritten ? 1 : 0;
        }
    }
    QString state;
    if (done == 0) {
        state = QStringLiteral("Nothing was written: the device holds what it held before.");
    } else if (done == onDevice) {
        state = QStringLiteral("Everything was written.");
    } else {
        std::map<QString, std::set<int>> whole;
        std::map<QString, std::set<int>> part;
        for (const auto& [group, count] : groups) {
            if (count.first == count.second)
                addGroup(whole, group);
            else if (count.first > 0)
                addGroup(part, group);
        }
        // "AI 3 is written", "the DI modules are written in part"
        const auto written = [](const std::map<QString, std::set<int>>& groups, const QString& how) {
            std::size_t members = 0;
            for (const auto& [family, numbers] : groups)
                members += numbers.size();
            const QString list = listed(groups);
            if (list.isEmpty())
                return list;
            return list + (members == 1 ? QStringLiteral(" is written") : QStringLiteral(" are written")) + how;
        };
        QStringList pieces;
        if (const QString w = written(whole, QString()); !w.isEmpty())
            pieces << w;
        if (const QString p = written(part, QStringLiteral(" in part")); !p.isEmpty())
            pieces << p;
        pieces << QStringLiteral("the rest is not");
        state = QStringLiteral("The device holds part of the file: %1.").arg(pieces.join(QStringLiteral(", ")));
    }
    // The PLIXARO takes writes only while its write-enable is open; a write that opened it
    // closes it at its end.
    if (ready.model == Model::Plix && !answered.empty()
        && answered.front().address == link::device::kPlixWriteEnableRegister && enableWrites < 2)
        state += QStringLiteral(" The device's write-enable may still be open: write the file again, or power the "
                                "device off and on.");
    return state;
}

} // namespace tarnixw::cli
