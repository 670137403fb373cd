#include "Words.h"

#include "link/Traffic.h"

#include <map>
#include <set>

namespace tarnixw::cli {

namespace {

// "AI 0–5, 9", "the DI modules", "DO module 1", "both channels".
QString named(const models::Family& family, const std::set<int>& numbers)
{
    if (int(numbers.size()) == family.count && !family.all.isEmpty())
        return family.all;
    QStringList runs;
    for (auto it = numbers.begin(); it != numbers.end();) {
        const int first = *it;
        int last = first;
        while (++it != numbers.end() && *it == last + 1)
            last = *it;
        runs << (first == last ? QString::number(first) : QStringLiteral("%1\u2013%2").arg(first).arg(last));
    }
    return (numbers.size() > 1 ? family.several : family.one).arg(runs.join(QStringLiteral(", ")));
}

// The groups, family by family, as one list: "AI 0–5 and the DI modules".
QString listed(const DeviceModel& model, const std::map<int, std::set<int>>& byFamily)
{
    QStringList parts;
    for (const auto& [family, numbers] : byFamily)
        if (!numbers.empty())
            parts << named(model.families().at(std::size_t(family)), numbers);
    return oneOf(parts, Words::cliAnd());
}

} // namespace

QString oneOf(const QStringList& items, const QString& last)
{
    if (items.size() <= 1)
        return items.value(0);
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + last + items.last();
}

QString openFailure(const link::OpenOutcome& o)
{
    const QString detail = QString::fromStdString(o.detail);
    if (o.error == link::OpenError::SetupFailed)
        return Words::setupError() + QLatin1Char(' ') + Words::cliLineSettingsRefused(o.port, detail);
    QString why = Words::cliPortFailed(o.port, detail);
    if (o.error == link::OpenError::NoSuchPort)
        why = Words::cliPortNotConnected(o.port);
    else if (o.error == link::OpenError::Busy)
        why = Words::cliPortInUse(o.port);
    else if (o.error == link::OpenError::PermissionDenied)
        why = Words::portNotPermitted(o.port);
    return Words::openError() + QLatin1Char(' ') + why;
}

QString stopFailure(const link::Exchanges& e)
{
    const QString withArticle = Words::cliAVerdict(link::describeVerdict(e.lastAnswer));
    if (e.reason == link::StopReason::ResponseError)
        return Words::responseError() + QLatin1Char(' ') + Words::cliAnsweredWith(withArticle);
    QString what;
    if (e.lastAnswer.kind == link::Verdict::Kind::Silence)
        what = Words::cliNothingCameBack();
    else if (e.lastAnswer.kind == link::Verdict::Kind::Disconnected)
        what = Words::cliConnectionClosed();
    else if (e.lastAnswer.kind == link::Verdict::Kind::Answer) // it answered, then went quiet
        what = Words::cliFellSilent();
    else
        what = Words::cliLastAnswerWas(withArticle);
    return Words::noResponse() + QLatin1Char(' ') + what + QLatin1Char(' ') + Words::cliNextSteps();
}

QString writtenState(const Configuration& ready, const std::vector<link::Request>& answered)
{
    const DeviceModel& model = *ready.model;
    const std::optional<models::WriteGate> gate = model.writeGate();
    // The device bytes the answered writes carried (the write gate aside).
    std::set<int> written;
    int gateWrites = 0;
    for (const link::Request& r : answered) {
        if (r.function != link::kWriteMultiple)
            continue;
        if (gate && r.address == gate->address) {
            ++gateWrites;
            continue;
        }
        for (int a = r.address; a < r.address + 2 * r.quantity; ++a)
            written.insert(a);
    }
    const std::vector<models::Field>& fields = model.fields();
    const std::vector<std::vector<int>>& addresses = model.fieldAddresses();
    std::map<std::pair<int, int>, std::pair<int, int>> groups; // group -> values written, values in all
    int onDevice = 0;
    int done = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (addresses[i].empty())
            continue;
        const bool isWritten
            = std::all_of(addresses[i].begin(), addresses[i].end(), [&](int a) { return written.count(a) != 0; });
        ++onDevice;
        done += isWritten ? 1 : 0;
        if (fields[i].family >= 0) {
            std::pair<int, int>& count = groups[{fields[i].family, fields[i].member}];
            count.second += 1;
            count.first += isWritten ? 1 : 0;
        }
    }
    QString state;
    if (done == 0) {
        state = Words::cliNothingWritten();
    } else if (done == onDevice) {
        state = Words::cliEverythingWritten();
    } else {
        std::map<int, std::set<int>> whole;
        std::map<int, std::set<int>> part;
        for (const auto& [group, count] : groups) {
            if (count.first == count.second)
                whole[group.first].insert(group.second);
            else if (count.first > 0)
                part[group.first].insert(group.second);
        }
        // "AI 3 is written", "the DI modules are written in part"
        const auto written = [&](const std::map<int, std::set<int>>& groups, bool inPart) {
            std::size_t members = 0;
            for (const auto& [family, numbers] : groups)
                members += numbers.size();
            const QString list = listed(model, groups);
            if (list.isEmpty())
                return list;
            return Words::cliWritten(list, members != 1, inPart);
        };
        QStringList pieces{written(whole, false), written(part, true)};
        pieces.removeAll(QString());
        pieces << Words::cliRestIsNot();
        state = Words::cliPartWritten(pieces.join(QStringLiteral(", ")));
    }
    // A device with a write gate takes writes only while it is open; a write that opened it
    // closes it at its end.
    if (gate && !answered.empty() && answered.front().address == gate->address && gateWrites < 2)
        state += QLatin1Char(' ') + Words::cliWriteEnableMayBeOpen();
    return state;
}

QString portDescription(const link::PortEntry& e)
{
    switch (e.kind) {
    case link::PortKind::Usb: {
        QStringList parts{Words::cliUsbAdapter(), e.usbId};
        if (!e.usbVendor.isEmpty())
            parts << e.usbVendor;
        if (!e.usbProduct.isEmpty())
            parts << e.usbProduct;
        const QString what = parts.join(QLatin1Char(' '));
        return e.usbSerial.isEmpty() ? what : Words::cliWithSerial(what, e.usbSerial);
    }
    case link::PortKind::Uart:
        return Words::cliUart();
    case link::PortKind::Network:
        return Words::cliNetworkPort();
    case link::PortKind::Virtual:
        break;
    }
    return Words::cliVirtualPort(e.linkPath);
}

} // namespace tarnixw::cli
