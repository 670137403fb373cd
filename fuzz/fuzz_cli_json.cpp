// Any bytes as a JSON configuration: the import refuses with a reason or takes it whole; a
// configuration it takes writes back as JSON that reads to the same configuration and writes
// back the same text, its binary file converts back to it, and show, diff, the form checks and
// the preparation for a Write run on it without fault.
#include "FuzzSupport.h"

#include "cli/Config.h"
#include "cli/JsonFormat.h"
#include "cli/Report.h"
#include "model/Fields.h"
#include "plix/PlixDescription.h"
#include "vyr/VyrDescription.h"

#include <QByteArray>

using namespace tarnixw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const models::Models models{&vyr::description(), &plix::description()};
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const cli::JsonImport r = cli::configFromJson(text, models);
    if (!r.config) {
        TARNIXW_FUZZ_CHECK(!r.errors.isEmpty(), QStringLiteral("refused without a reason"));
        return 0;
    }
    TARNIXW_FUZZ_CHECK(r.errors.isEmpty(), r.errors.join('\n'));
    const models::Configuration& config = *r.config;

    const QByteArray json = cli::configToJson(config);
    const cli::JsonImport again = cli::configFromJson(json, models);
    TARNIXW_FUZZ_CHECK(again.config && *again.config == config, again.errors.join('\n'));
    TARNIXW_FUZZ_CHECK(cli::configToJson(*again.config) == json, QStringLiteral("JSON is not a fixed point"));

    const values::Result<models::Configuration> binary = config.model->fromFileBytes(config.bytes);
    TARNIXW_FUZZ_CHECK(binary.value && *binary.value == config, binary.error);

    (void)config.model->report(config);
    (void)models::outsideFormChecks(config);
    TARNIXW_FUZZ_CHECK(cli::differences(config, config).isEmpty(), QStringLiteral("differs from itself"));
    (void)cli::differences(config, config.model->defaults());
    (void)config.model->readyForWrite(config);
    return 0;
}
