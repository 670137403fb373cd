// Any bytes as a JSON configuration: the import refuses with a reason or takes it whole; a
// configuration it takes writes back as JSON that reads to the same configuration and writes
// back the same text, its binary file converts back to it, and show, diff, the form checks and
// the preparation for a Write run on it without fault.
#include "FuzzSupport.h"

#include "cli/Config.h"
#include "cli/Fields.h"
#include "cli/JsonFormat.h"
#include "cli/Report.h"
#include "plix/PlixModel.h"
#include "vyr/VyrPack.h"

#include <QByteArray>

using namespace tarnixw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const cli::JsonImport r = cli::configFromJson(text);
    if (!r.config) {
        TARNIXW_FUZZ_CHECK(!r.errors.isEmpty(), QStringLiteral("refused without a reason"));
        return 0;
    }
    TARNIXW_FUZZ_CHECK(r.errors.isEmpty(), r.errors.join('\n'));
    const cli::Config& config = *r.config;

    const QByteArray json = cli::configToJson(config);
    const cli::JsonImport again = cli::configFromJson(json);
    TARNIXW_FUZZ_CHECK(again.config && *again.config == config, again.errors.join('\n'));
    TARNIXW_FUZZ_CHECK(cli::configToJson(*again.config) == json, QStringLiteral("JSON is not a fixed point"));

    const QByteArray file = config.fileBytes();
    const cli::Loaded binary = cli::configFromFileBytes(config.model,
        std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())));
    TARNIXW_FUZZ_CHECK(binary.config && *binary.config == config, binary.error);

    (void)cli::showConfig(config);
    (void)cli::outsideFormChecks(config);
    TARNIXW_FUZZ_CHECK(cli::differences(config, config).isEmpty(), QStringLiteral("differs from itself"));
    (void)cli::differences(config, cli::templateConfig(config.model));
    if (config.model == cli::Model::Vyr)
        (void)vyr::recordForWrite(config.vyr);
    else
        (void)plix::paramSetForWrite(config.plix);
    return 0;
}
