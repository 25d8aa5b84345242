// vandrel-cli obex ...: the phone's user file system over OBEX on the modem port.
#include "cli.h"
#include "clilink.h"

#include <link/obexsession.h>

#include <QCoroTask>
#include <QTextStream>

namespace vandrel::cli {

QStringList phonePath(const QString &text)
{
    QStringList names = text.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return names;
}

namespace {

int runList(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() > 1) {
        fail(QStringLiteral("obex ls takes at most one folder"));
        return UsageError;
    }
    const QStringList path = phonePath(args.value(0));
    auto phone = makeLink(options);
    if (!connectModem(*phone))
        return Failure;
    link::ObexSession session(*phone);
    const auto folder = QCoro::waitFor(session.list(path, false));
    phone->closePorts();
    if (!folder.ok()) {
        fail(QStringLiteral("listing %1 failed (%2)")
                 .arg(path.isEmpty() ? QStringLiteral("the root") : path.join(QLatin1Char('/')),
                      describeFailure(folder.outcome)));
        return Failure;
    }
    QTextStream out(stdout);
    for (const auto &e : folder.value.entries)
        out << e.caption() << '\t' << e.sizeText << '\t' << e.dateText << '\n';
    return Success;
}

const bool registered = registerCommand({QStringLiteral("obex"), QStringLiteral("ls"), QStringLiteral("[FOLDER]"),
                                         QStringLiteral("list a folder of the phone's file system (mmc, user, ...)"),
                                         runList});
} // namespace
} // namespace vandrel::cli
