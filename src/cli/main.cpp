// vandrel-cli [--modem PORT] [--diag PORT] [--speed N] [--overwrite ask|yes|no] [--record FILE] GROUP COMMAND [ARGS]
#include "cli.h"

#include <link/recordingchannel.h>

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace vandrel::cli {

namespace {
QList<Command> &table()
{
    static QList<Command> t;
    return t;
}

QString usage()
{
    QString text = QStringLiteral(
        "Usage: vandrel-cli [--modem PORT] [--diag PORT] [--speed N] [--overwrite ask|yes|no] [--record FILE] GROUP COMMAND [ARGS]\n"
        "\n"
        "Global options (before the command group):\n"
        "  --modem PORT      the modem port (AT, OBEX); default: the saved setting\n"
        "  --diag PORT       the diagnostic port (BREW); default: the saved setting\n"
        "  --speed N         line speed in bit/s for both ports\n"
        "  --overwrite MODE  replacing files: ask (on a terminal only), yes or no\n"
        "  --record FILE     write every byte on both ports, with times, to this transcript\n"
        "  --help, --version\n"
        "\n"
        "Phone paths are names joined by \"/\" (mmc/photos, brew/mod/game); none means the root.\n"
        "Listings print one row per entry on stdout: caption, size and date, separated by tabs.\n"
        "Exit status: 0 success, 1 failure, 2 usage error.\n");
    if (!table().isEmpty()) {
        text += QStringLiteral("\nCommands:\n");
        for (const Command &c : table())
            text += QStringLiteral("  %1\n      %2\n")
                        .arg(QStringList{c.group, c.name, c.arguments}.join(QLatin1Char(' ')).simplified(), c.summary);
    }
    return text;
}

void quietPseudoTerminalWarnings(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    // QSerialPort warns about modem-control ioctls that pseudo-terminals do not support.
    if (type == QtWarningMsg && (msg.contains(QLatin1String("QSerialPort")) || msg.contains(QLatin1String("ioctl"))))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(msg));
    if (type == QtFatalMsg)
        std::abort();
}
} // namespace

bool registerCommand(Command command)
{
    table().append(std::move(command));
    return true;
}

const QList<Command> &commands() { return table(); }

void fail(const QString &message)
{
    std::fprintf(stderr, "vandrel-cli: %s\n", qPrintable(message));
}

void notice(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace vandrel::cli

int main(int argc, char **argv)
{
    using namespace vandrel::cli;
    qInstallMessageHandler(quietPseudoTerminalWarnings);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vandrel Controller"));
    QCoreApplication::setOrganizationName(QStringLiteral("Vandrel Controller"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANDREL_VERSION_STRING));

    QStringList args = app.arguments().mid(1);
    GlobalOptions options;
    auto usageError = [](const QString &why) {
        fail(why);
        std::fprintf(stderr, "Try 'vandrel-cli --help'.\n");
        return int(UsageError);
    };
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString opt = args.takeFirst();
        if (opt == QLatin1String("--help")) {
            QTextStream(stdout) << usage();
            return Success;
        }
        if (opt == QLatin1String("--version")) {
            QTextStream(stdout) << "vandrel-cli " << QCoreApplication::applicationVersion() << '\n';
            return Success;
        }
        if (args.isEmpty())
            return usageError(QStringLiteral("%1 needs a value").arg(opt));
        const QString value = args.takeFirst();
        if (opt == QLatin1String("--modem")) {
            options.modemPort = value;
        } else if (opt == QLatin1String("--diag")) {
            options.diagPort = value;
        } else if (opt == QLatin1String("--speed")) {
            bool ok = false;
            options.speed = value.toInt(&ok);
            if (!ok || options.speed <= 0)
                return usageError(QStringLiteral("--speed takes a number of bit/s, not \"%1\"").arg(value));
        } else if (opt == QLatin1String("--overwrite")) {
            if (value == QLatin1String("ask"))
                options.overwrite = Overwrite::Ask;
            else if (value == QLatin1String("yes"))
                options.overwrite = Overwrite::Yes;
            else if (value == QLatin1String("no"))
                options.overwrite = Overwrite::No;
            else
                return usageError(QStringLiteral("--overwrite takes ask, yes or no, not \"%1\"").arg(value));
        } else if (opt == QLatin1String("--record")) {
            options.transcript = std::make_shared<vandrel::link::TranscriptWriter>();
            QString error;
            if (!options.transcript->open(value, &error)) {
                fail(error);
                return Failure;
            }
        } else {
            return usageError(QStringLiteral("unknown option %1").arg(opt));
        }
    }
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString group = args.takeFirst();
    // Commands of one word ("info") stand alone; the others are GROUP COMMAND.
    for (const Command &c : commands())
        if (c.group == group && c.name.isEmpty())
            return c.run(options, args);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given for %1").arg(group));
    const QString name = args.takeFirst();
    for (const Command &c : commands())
        if (c.group == group && c.name == name)
            return c.run(options, args);
    return usageError(QStringLiteral("unknown command: %1 %2").arg(group, name));
}
