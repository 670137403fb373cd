#include "Report.h"

#include "model/Fields.h"
#include "words/Words.h"

namespace tarnixw::cli {

QStringList differences(const Configuration& a, const Configuration& b, bool deviceOnly)
{
    if (a.model != b.model)
        return {QStringLiteral("%1: %2 → %3").arg(Words::cliModelLabel(), a.model->name(), b.model->name())};
    QStringList out;
    for (const models::Field& f : a.model->fields()) {
        if (f.format == models::Format::Identity || (deviceOnly && !f.onDevice))
            continue;
        const std::int64_t va = f.get(a);
        const std::int64_t vb = f.get(b);
        if (va != vb)
            out << QStringLiteral("%1: %2 → %3").arg(f.label, models::valueText(f, va), models::valueText(f, vb));
    }
    return out;
}

} // namespace tarnixw::cli
