// vandrel-phone: the virtual phone on two pseudo-terminals.
#include <phone-sim/replay.h>
#include <phone-sim/virtualphone.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <unistd.h>

using namespace vandrel::phonesim;

namespace {

int signalPipe[2] = {-1, -1};

// Only a write is safe here; the event loop does the rest.
void quitOnSignal(int)
{
    const char c = 'q';
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

Controls::Port portOf(const QString &text)
{
    if (text == QLatin1String("modem"))
        return Controls::Modem;
    if (text == QLatin1String("diag"))
        return Controls::Diag;
    return Controls::Both;
}

// "N" applies to both ports, "modem:N" or "diag:N" to one.
std::pair<Controls::Port, qint64> portAndCount(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {Controls::Both, text.toLongLong()};
    return {portOf(text.left(colon)), text.mid(colon + 1).toLongLong()};
}

void quitOnSignals(QCoreApplication &app)
{
    if (::pipe(signalPipe) != 0) {
        std::fputs("vandrel-phone: no pipe for signals\n", stderr);
        std::exit(1);
    }
    auto *quitNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(quitNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, quitOnSignal);
    std::signal(SIGTERM, quitOnSignal);
}

int replayTranscript(const QString &path, const QString &modemLink, const QString &diagLink)
{
    if (modemLink.isEmpty() || diagLink.isEmpty()) {
        std::fputs("vandrel-phone: --modem-link and --diag-link are required\n", stderr);
        return 2;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vandrel-phone: the transcript %s cannot be read\n", qPrintable(path));
        return 1;
    }
    int bad = 0;
    ReplayPhone phone(vandrel::text::parseTranscript(file.readAll(), &bad));
    if (bad > 0)
        std::fprintf(stderr, "vandrel-phone: %d lines of the transcript are not understood and left out\n", bad);
    QString error;
    if (!phone.serve(modemLink, diagLink, &error)) {
        std::fprintf(stderr, "vandrel-phone: %s\n", qPrintable(error));
        return 1;
    }
    quitOnSignals(*qApp);
    std::fprintf(stderr, "vandrel-phone: replaying %s on %s and %s\n", qPrintable(path), qPrintable(modemLink),
                 qPrintable(diagLink));
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vandrel-phone"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual phone on two pseudo-terminals. Lines typed on standard input: \"sms FROM TEXT\" "
        "receives a message, \"sent\" prints the messages sent so far (PDUs); any other line is sent "
        "on the modem port as an unsolicited line (for example +CMTI: \"SM\",3)."));
    parser.addHelpOption();
    const QCommandLineOption modemLink(QStringLiteral("modem-link"), QStringLiteral("Link to the modem port."), QStringLiteral("PATH"));
    const QCommandLineOption diagLink(QStringLiteral("diag-link"), QStringLiteral("Link to the diagnostic port."), QStringLiteral("PATH"));
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("The phone's folder (seeded when missing or empty)."), QStringLiteral("DIR"));
    const QCommandLineOption split(QStringLiteral("split"), QStringLiteral("Split replies: random:SEED, bytes or whole."), QStringLiteral("HOW"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Delay every reply."), QStringLiteral("MS"));
    const QCommandLineOption rate(QStringLiteral("line-rate"), QStringLiteral("Throttle to a line rate (10 bits per byte)."), QStringLiteral("BPS"));
    const QCommandLineOption drop(QStringLiteral("drop-after"), QStringLiteral("Drop the link after N bytes ([modem:|diag:]N)."), QStringLiteral("N"));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"), QStringLiteral("Go silent after N bytes ([modem:|diag:]N)."), QStringLiteral("N"));
    const QCommandLineOption silentAt(QStringLiteral("silent-at"), QStringLiteral("Go silent at a request (AT^SQWE=3, \"obex listing\", \"diag read\", ...)."), QStringLiteral("REQUEST"));
    const QCommandLineOption errorAt(QStringLiteral("error-at"), QStringLiteral("Answer ERROR to this AT command."), QStringLiteral("COMMAND"));
    const QCommandLineOption refuseRead(QStringLiteral("refuse-read"), QStringLiteral("Refuse the first BREW read once."));
    const QCommandLineOption refuseWrite(QStringLiteral("refuse-write"), QStringLiteral("Refuse the first BREW write once."));
    const QCommandLineOption badCrc(QStringLiteral("bad-crc"), QStringLiteral("Send the first diagnostic reply with a broken check value."));
    const QCommandLineOption connectionId(QStringLiteral("connection-id"), QStringLiteral("OBEX connection id (024E804C, 024C511C, 024C510C or 02462A9F)."), QStringLiteral("HEX"));
    const QCommandLineOption anomalyFile(QStringLiteral("anomaly-log"), QStringLiteral("Append anomalies to this file."), QStringLiteral("FILE"));
    const QCommandLineOption sentFile(QStringLiteral("sent-log"), QStringLiteral("Append the PDU of every message sent to this file."), QStringLiteral("FILE"));
    const QCommandLineOption messages(QStringLiteral("messages"), QStringLiteral("Seed at least N stored messages (a long list)."), QStringLiteral("N"));
    const QCommandLineOption sendError(QStringLiteral("send-error"), QStringLiteral("Answer +CMS ERROR: CODE to the first message sent."), QStringLiteral("CODE"));
    const QCommandLineOption noPrompt(QStringLiteral("no-prompt"), QStringLiteral("Never send the \"> \" prompt after AT+CMGS."));
    const QCommandLineOption promptDelay(QStringLiteral("prompt-delay"), QStringLiteral("Send the \"> \" prompt this much later."), QStringLiteral("MS"));
    const QCommandLineOption sendDelay(QStringLiteral("send-delay"), QStringLiteral("Send the +CMGS answer this much later."), QStringLiteral("MS"));
    const QCommandLineOption refuseDelete(QStringLiteral("refuse-delete"), QStringLiteral("Refuse the first AT+CMGD of a stored message."));
    const QCommandLineOption replay(QStringLiteral("replay"), QStringLiteral("Answer as the phone recorded in this transcript did (no --root needed)."), QStringLiteral("FILE"));
    parser.addOptions({replay, modemLink, diagLink, root, split, delay, rate, drop, silentAfter, silentAt, errorAt, refuseRead,
                       refuseWrite, badCrc, connectionId, anomalyFile, sentFile, messages, sendError, noPrompt,
                       promptDelay, sendDelay, refuseDelete});
    parser.process(app);
    if (parser.isSet(replay))
        return replayTranscript(parser.value(replay), parser.value(modemLink), parser.value(diagLink));
    if (!parser.isSet(modemLink) || !parser.isSet(diagLink) || !parser.isSet(root)) {
        std::fputs("vandrel-phone: --modem-link, --diag-link and --root are required\n", stderr);
        return 2;
    }

    VirtualPhone phone(parser.value(root), SeedOptions{parser.value(messages).toInt()});
    if (!phone.seeded()) {
        std::fprintf(stderr, "vandrel-phone: the folder %s cannot be made\n", qPrintable(parser.value(root)));
        return 1;
    }
    Controls &c = phone.controls();
    const QString how = parser.value(split);
    if (how.startsWith(QLatin1String("random")))
        c.splitRandomly(how.section(QLatin1Char(':'), 1).toUInt());
    else if (how == QLatin1String("bytes"))
        c.splitByteByByte();
    if (parser.isSet(delay))
        c.delayReplies(parser.value(delay).toInt());
    if (parser.isSet(rate))
        c.throttleToLineRate(parser.value(rate).toInt());
    for (const QString &v : parser.values(drop)) {
        const auto [port, n] = portAndCount(v);
        c.dropLinkAfter(n, port);
    }
    for (const QString &v : parser.values(silentAfter)) {
        const auto [port, n] = portAndCount(v);
        c.goSilentAfter(n, port);
    }
    for (const QString &v : parser.values(silentAt))
        c.goSilentAt(v);
    for (const QString &v : parser.values(errorAt))
        c.answerErrorTo(v);
    if (parser.isSet(refuseRead))
        c.refuseNextRead();
    if (parser.isSet(refuseWrite))
        c.refuseNextWrite();
    if (parser.isSet(badCrc))
        c.breakNextCrc();
    if (parser.isSet(sendError))
        c.failNextSend(parser.value(sendError).toInt());
    c.withholdPrompt(parser.isSet(noPrompt));
    c.delayPrompt(parser.value(promptDelay).toInt());
    c.delaySendAnswer(parser.value(sendDelay).toInt());
    if (parser.isSet(refuseDelete))
        c.refuseNextDelete();
    if (parser.isSet(connectionId)) {
        const QByteArray id = QByteArray::fromHex(parser.value(connectionId).toLatin1());
        if (!vandrel::phonesim::obex::acceptedConnectionIds().contains(id)) {
            std::fputs("vandrel-phone: unknown connection id\n", stderr);
            return 2;
        }
        phone.modem().obex().setConnectionId(id);
    }
    const QString anomalyPath = parser.value(anomalyFile);
    phone.anomalyLog().setWatcher([anomalyPath](const QString &line) {
        std::fprintf(stderr, "anomaly: %s\n", qPrintable(line));
        if (anomalyPath.isEmpty())
            return;
        QFile f(anomalyPath);
        if (f.open(QIODevice::Append | QIODevice::Text))
            f.write(line.toUtf8() + '\n');
    });
    const QString sentPath = parser.value(sentFile);
    phone.anomalyLog().setSentWatcher([sentPath](const QString &pdu) {
        std::fprintf(stderr, "sent: %s\n", qPrintable(pdu));
        if (sentPath.isEmpty())
            return;
        QFile f(sentPath);
        if (f.open(QIODevice::Append | QIODevice::Text))
            f.write(pdu.toLatin1() + '\n');
    });

    QString error;
    if (!phone.servePtys(parser.value(modemLink), parser.value(diagLink), &error)) {
        std::fprintf(stderr, "vandrel-phone: %s\n", qPrintable(error));
        return 1;
    }
    quitOnSignals(app);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray typed;
    QObject::connect(&input, &QSocketNotifier::activated, &phone, [&] {
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        typed.append(buf, qsizetype(n));
        for (qsizetype nl = typed.indexOf('\n'); nl >= 0; nl = typed.indexOf('\n')) {
            const QByteArray line = typed.left(nl).trimmed();
            typed.remove(0, nl + 1);
            if (line.startsWith("sms ")) {
                // sms FROM TEXT
                const QString rest = QString::fromUtf8(line.mid(4)).trimmed();
                const qsizetype space = rest.indexOf(QLatin1Char(' '));
                if (rest.isEmpty()) {
                    std::fputs("vandrel-phone: sms FROM TEXT\n", stderr);
                    continue;
                }
                const QList<int> at = phone.receiveMessage(rest.left(space), space < 0 ? QString() : rest.mid(space + 1));
                std::fprintf(stderr, "vandrel-phone: %s\n", at.isEmpty() ? "the message memory is full"
                                                                             : qPrintable(QStringLiteral("message stored at %1").arg(at.first())));
            } else if (line == "sent") {
                for (const QString &pdu : phone.anomalyLog().sent())
                    std::printf("%s\n", qPrintable(pdu));
                std::fflush(stdout);
            } else if (!line.isEmpty()) {
                phone.sendUnsolicited(line);
            }
        }
    });
    std::fprintf(stderr, "vandrel-phone: modem port %s, diagnostic port %s\n", qPrintable(parser.value(modemLink)),
                 qPrintable(parser.value(diagLink)));
    return QCoreApplication::exec();
}
