// vandrel-cli sms list|export|rm|watch|send: the stored messages, on the sessions of the SMS tab,
// and sending one message as the composer does.
#include "cli.h"
#include "clilink.h"

#include <core/sms/composer.h>
#include <core/sms/smslist.h>
#include <link/settingsstore.h>
#include <link/dispatcher.h>
#include <link/smssession.h>

#include <QCoroTask>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

namespace vandrel::cli {
namespace {

int usage(const QString &why)
{
    fail(why);
    std::fprintf(stderr, "Try 'vandrel-cli --help'.\n");
    return UsageError;
}

void printLine(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

std::optional<link::SmsFilter> filterNamed(const QString &name)
{
    static const QStringList names = {QStringLiteral("unread"), QStringLiteral("read"), QStringLiteral("unsent"),
                                      QStringLiteral("sent"), QStringLiteral("all")};
    const qsizetype i = names.indexOf(name);
    if (i < 0)
        return std::nullopt;
    return link::SmsFilter(i);
}

// Takes "--filter NAME" out of `args`; all messages when it is not given.
std::optional<link::SmsFilter> takeFilter(QStringList &args, bool *bad)
{
    const qsizetype at = args.indexOf(QStringLiteral("--filter"));
    if (at < 0)
        return link::SmsFilter::All;
    const auto f = at + 1 < args.size() ? filterNamed(args[at + 1]) : std::nullopt;
    *bad = !f;
    if (f)
        args.remove(at, 2);
    return f;
}

// The rows the tab would show; false (said why) when the listing failed.
bool listRows(const GlobalOptions &options, link::SmsFilter filter, QList<sms::SmsRow> *rows)
{
    auto phone = makeLink(options);
    if (!connectModem(*phone))
        return false;
    const auto result = QCoro::waitFor(link::listMessages(*phone, filter));
    phone->closePorts();
    if (!result.ok()) {
        fail(QStringLiteral("listing the messages failed (%1)").arg(describeFailure(result.outcome)));
        return false;
    }
    const auto listing = sms::buildRows(result.value.messages, link::loadRecipientLines(), QDateTime::currentDateTime());
    for (const QString &p : listing.problems + result.value.problems)
        notice(QStringLiteral("warning: ") + p);
    *rows = listing.rows;
    return true;
}

int runList(const GlobalOptions &options, const QStringList &arguments)
{
    QStringList args = arguments;
    bool bad = false;
    const auto filter = takeFilter(args, &bad);
    if (bad || !args.isEmpty())
        return usage(QStringLiteral("sms list takes only --filter unread|read|sent|unsent|all"));
    QList<sms::SmsRow> rows;
    if (!listRows(options, *filter, &rows))
        return Failure;
    for (const auto &r : rows)
        printLine(sms::cliLine(r));
    return Success;
}

int runExport(const GlobalOptions &options, const QStringList &arguments)
{
    QStringList args = arguments;
    bool bad = false;
    const auto filter = takeFilter(args, &bad);
    if (bad || args.size() != 1)
        return usage(QStringLiteral("sms export takes [--filter unread|read|sent|unsent|all] FILE.xls|FILE.csv"));
    const QString path = args.first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("xls") && suffix != QLatin1String("csv"))
        return usage(QStringLiteral("the backup file must end in .xls or .csv, not \"%1\"").arg(path));
    QList<sms::SmsRow> rows;
    if (!listRows(options, *filter, &rows))
        return Failure;
    QByteArray bytes;
    if (suffix == QLatin1String("csv")) {
        bytes = sms::smsBackupCsv(rows);
    } else {
        const auto sheet = sms::smsBackupXls(rows);
        if (!sheet) {
            fail(sheet.error());
            return Failure;
        }
        if (const int lossy = sheet->cellsNotInCodePage + sheet->cellsCut) {
            fail(QStringLiteral("%1 cells cannot be kept whole in an .xls file (characters outside the Czech code "
                                "page, or over-long text); nothing written; export to a .csv file instead")
                     .arg(lossy));
            return Failure;
        }
        bytes = sheet->bytes;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
        return Failure;
    }
    notice(QStringLiteral("%1 messages written to %2").arg(rows.size()).arg(path));
    return Success;
}

int runRemove(const GlobalOptions &options, const QStringList &args)
{
    if (args.isEmpty())
        return usage(QStringLiteral("sms rm needs at least one INDEX"));
    QList<int> indexes;
    for (const QString &a : args) {
        // "3+7" as sms list prints a joined message.
        for (const QString &part : a.split(u'+')) {
            bool ok = false;
            const int i = part.toInt(&ok);
            if (!ok || i < 0 || i > 999)
                return usage(QStringLiteral("\"%1\" is not a message index").arg(a));
            indexes << i;
        }
    }
    auto phone = makeLink(options);
    if (!connectModem(*phone))
        return Failure;
    const auto result = QCoro::waitFor(link::deleteMessages(*phone, indexes));
    phone->closePorts();
    if (result.value.isEmpty() && result.ok())
        return Success;
    QStringList names;
    for (const auto &f : result.value)
        names << QStringLiteral("%1 (%2)").arg(f.index).arg(f.reason);
    fail(QStringLiteral("not deleted: %1").arg(names.join(QStringLiteral(", "))));
    return Failure;
}

int runWatch(const GlobalOptions &options, const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("sms watch takes no arguments"));
    auto phone = makeLink(options);
    if (!connectModem(*phone, true))
        return Failure;
    link::ReceiveDispatcher dispatcher(*phone);
    dispatcher.setReadSMS(true);
    dispatcher.setTab(link::ReceiveDispatcher::Tab::Other);
    const QStringList book = link::loadRecipientLines();
    QObject::connect(&dispatcher, &link::ReceiveDispatcher::incomingMessage, &dispatcher,
                     [&book](int index, const QByteArray &reply) {
                         const auto m = link::decodeIncoming(reply, QDateTime::currentDateTime());
                         if (!m) {
                             notice(QStringLiteral("warning: message %1 cannot be decoded: %2").arg(index).arg(m.error()));
                             return;
                         }
                         const at::StoredMessage stored{index, m->state, -1, m->pdu};
                         for (const auto &row : sms::buildRows({stored}, book, QDateTime::currentDateTime()).rows)
                             printLine(sms::cliLine(row));
                     });
    notice(QStringLiteral("watching %1 for new messages; Ctrl+C ends").arg(phone->modemPort()->portName()));
    QEventLoop loop;
    QString why;
    QObject::connect(phone.get(), &link::PhoneLink::portLost, &loop, [&](link::PhoneLink::Port, const QString &reason) {
        why = reason;
        loop.exit(1);
    });
    QObject::connect(phone.get(), &link::PhoneLink::fatalError, &loop, [&](const QString &text) {
        why = text;
        loop.exit(1);
    });
    const int rc = loop.exec();
    phone->closePorts();
    fail(QStringLiteral("the link to the phone ended: %1").arg(why));
    return rc == 0 ? Success : Failure;
}

// "2d" or "6h": 1 to 30 days or hours, as the composer's spin box offers.
std::optional<quint8> validityNamed(const QString &text)
{
    bool ok = false;
    const int n = text.left(text.size() - 1).toInt(&ok);
    if (!ok || n < 1 || n > 30)
        return std::nullopt;
    if (text.endsWith(u'd'))
        return sms::validityForDays(n);
    if (text.endsWith(u'h'))
        return sms::validityForHours(n);
    return std::nullopt;
}

int runSend(const GlobalOptions &options, const QStringList &arguments)
{
    const QString usageText = QStringLiteral(
        "sms send takes --to NUMBER [--smsc NUMBER] [--validity 2d|6h] [--report] [--plain] TEXT|-");
    QString to, smsc, text;
    bool haveText = false, report = false, plain = false;
    quint8 validity = sms::validityForDays(30);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == QLatin1String("--to") && hasValue) {
            to = arguments[++i];
        } else if (a == QLatin1String("--smsc") && hasValue) {
            smsc = arguments[++i];
        } else if (a == QLatin1String("--validity") && hasValue) {
            const auto v = validityNamed(arguments[++i]);
            if (!v)
                return usage(QStringLiteral("--validity takes 1d to 30d or 1h to 30h, not \"%1\"").arg(arguments[i]));
            validity = *v;
        } else if (a == QLatin1String("--report")) {
            report = true;
        } else if (a == QLatin1String("--plain")) {
            plain = true;
        } else if (!haveText && (a == QLatin1String("-") || !a.startsWith(QLatin1String("--")))) {
            text = a;
            haveText = true;
        } else {
            return usage(usageText);
        }
    }
    if (to.isEmpty() || !haveText)
        return usage(usageText);
    if (text == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            fail(QStringLiteral("cannot read the text from standard input"));
            return Failure;
        }
        text = QString::fromUtf8(in.readAll());
        if (text.endsWith(u'\n'))
            text.chop(1);
    }
    if (plain)
        text = sms::withoutDiacritics(text);
    const sms::SmsCount count = sms::countMessage(text);
    if (count.overLimit) {
        fail(QStringLiteral("the text is too long: %1 (%2 parts); nothing sent").arg(sms::counterText(count)).arg(count.parts));
        return Failure;
    }
    QString centre;
    if (!smsc.isEmpty()) {
        const auto checked = sms::serviceCentreNumber(smsc);
        if (!checked)
            return usage(QStringLiteral("--smsc takes \"+\" and 12 digits, not \"%1\"").arg(smsc));
        centre = *checked;
    } else {
        centre = link::SettingsStore().serviceCentre();
    }

    auto phone = makeLink(options);
    if (!connectModem(*phone))
        return Failure;
    QString centreForNumber = centre;
    if (centre.isEmpty()) {
        // The phone's own centre stays as it is; it only lends its country code.
        const auto own = QCoro::waitFor(link::phoneServiceCentre(*phone));
        if (!own.ok()) {
            phone->closePorts();
            fail(QStringLiteral("the phone named no service centre (%1); give one with --smsc").arg(describeFailure(own.outcome)));
            return Failure;
        }
        centreForNumber = own.value;
    }
    const auto destination = sms::destinationNumber(to, centreForNumber);
    if (!destination) {
        phone->closePorts();
        fail(QStringLiteral("\"%1\" is not a number a message can go to: 12 digits, 9 digits, or \"+\" and 8 to 15 digits").arg(to));
        return Failure;
    }
    link::SendProgressHandler onProgress = [](const link::SendProgress &p) {
        if (p.reference < 0)
            notice(QStringLiteral("sending part %1 of %2").arg(p.part).arg(p.parts));
        else
            printLine(QStringLiteral("part %1/%2\treference %3").arg(p.part).arg(p.parts).arg(p.reference));
    };
    const link::OutgoingSms outgoing{*destination, centre, text, validity, report};
    const auto result = QCoro::waitFor(link::sendMessage(*phone, outgoing, onProgress, {}));
    phone->closePorts();
    if (!result.ok()) {
        fail(link::sendFailureText(result));
        return Failure;
    }
    return Success;
}

const bool registered = registerCommand({QStringLiteral("sms"), QStringLiteral("list"),
                                         QStringLiteral("[--filter unread|read|sent|unsent|all]"),
                                         QStringLiteral("stored messages: indexes, state, date, number, name, text"),
                                         runList})
                        && registerCommand({QStringLiteral("sms"), QStringLiteral("export"),
                                            QStringLiteral("[--filter ...] FILE.xls|FILE.csv"),
                                            QStringLiteral("back the stored messages up to a spreadsheet file"),
                                            runExport})
                        && registerCommand({QStringLiteral("sms"), QStringLiteral("rm"), QStringLiteral("INDEX..."),
                                            QStringLiteral("delete stored messages (3+7 deletes both parts)"),
                                            runRemove})
                        && registerCommand({QStringLiteral("sms"), QStringLiteral("watch"), QString(),
                                            QStringLiteral("print each new message as it arrives, until interrupted"),
                                            runWatch})
                        && registerCommand({QStringLiteral("sms"), QStringLiteral("send"),
                                            QStringLiteral("--to NUMBER [--smsc NUMBER] [--validity 2d|6h] [--report] "
                                                           "[--plain] TEXT|-"),
                                            QStringLiteral("send a message, one line per part with its reference"),
                                            runSend});
} // namespace
} // namespace vandrel::cli
