// vandrel-cli info: the phone's identity and status, one "name: value" line each.
#include "cli.h"
#include "clilink.h"

#include <link/phoneinfosession.h>

#include <QCoroTask>
#include <QTextStream>

namespace vandrel::cli {
namespace {

int runInfo(const GlobalOptions &options, const QStringList &args)
{
    if (!args.isEmpty()) {
        fail(QStringLiteral("info takes no arguments"));
        return UsageError;
    }
    auto phone = makeLink(options);
    if (!connectModem(*phone))
        return Failure;
    const auto result = QCoro::waitFor(link::readPhoneInfo(*phone));
    phone->closePorts();
    if (!result.ok()) {
        fail(QStringLiteral("reading the phone's information failed (%1)").arg(describeFailure(result.outcome)));
        return Failure;
    }
    QTextStream out(stdout);
    for (const auto &row : result.value)
        out << row.label << ": " << row.value << '\n';
    return Success;
}

const bool registered = registerCommand({QStringLiteral("info"), QString(), QString(),
                                         QStringLiteral("the phone's maker, model, revision, serial number, "
                                                        "battery, signal, operator, subscriber and SIM id"),
                                         runInfo});
} // namespace
} // namespace vandrel::cli
