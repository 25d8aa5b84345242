// Commands on the phone's data: SMS PDUs, phonebook files, the calendar file and the folder of
// database copies read and written offline; the calendar pulled from the phone; phonebook pull, push
// and restore also talk to the phone's diagnostic port.
#include "cli.h"
#include "cliasker.h"
#include "clilink.h"

#include "core/calendar/icalendar.h"
#include "core/calendar/vcalendar.h"
#include "core/phonebook/bookfiles.h"
#include "core/phonebook/exports.h"
#include "core/phonebook/pbmfile.h"
#include "core/phonedb/accounts.h"
#include "core/phonedb/groups.h"
#include "core/sms/pdu.h"

#include <link/brewtransfer.h>
#include <link/phonebookfiles.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QCoroTask>
#include <cstdio>

namespace vandrel::cli {
namespace {

// Tabs separate the fields of a row, so tabs and line ends inside a value are shown escaped.
QString cell(QString value)
{
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\t', QStringLiteral("\\t"));
    value.replace(u'\n', QStringLiteral("\\n"));
    value.replace(u'\r', QStringLiteral("\\r"));
    return value;
}

void printRow(const QStringList &fields)
{
    QStringList cells;
    for (const QString &f : fields)
        cells.append(cell(f));
    QTextStream out(stdout);
    out << cells.join(u'\t') << '\n';
}

int usage(const QString &why)
{
    fail(why);
    std::fprintf(stderr, "Try 'vandrel-cli --help'.\n");
    return UsageError;
}

bool readFile(const QString &path, QByteArray *bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
        return false;
    }
    *bytes = f.readAll();
    return true;
}


// Written whole or not at all.
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
        return false;
    }
    return true;
}

// --- pdu ---------------------------------------------------------------------------------

int pduDecode(const GlobalOptions &, const QStringList &args)
{
    if (args.isEmpty())
        return usage(QStringLiteral("pdu decode needs at least one PDU"));
    int status = Success;
    for (const QString &hex : args) {
        const auto sms = sms::decodePdu(hex, QDateTime::currentDateTime());
        if (!sms) {
            fail(QStringLiteral("cannot decode \"%1\": %2").arg(hex.left(40), sms.error()));
            status = Failure;
            continue;
        }
        const QString coding = sms->coding == sms::Coding::Ucs2 ? QStringLiteral("ucs2")
                               : sms->coding == sms::Coding::EightBit ? QStringLiteral("8bit") : QStringLiteral("7bit");
        const QString part = sms->concat.count ? QStringLiteral("%1/%2").arg(sms->concat.number).arg(sms->concat.count) : QString();
        const bool report = sms->kind == sms::MessageKind::StatusReport;
        const QString kind = report ? QStringLiteral("report") : sms->outgoing() ? QStringLiteral("outgoing") : QStringLiteral("received");
        printRow({kind, sms->serviceCentre, sms->number, sms->stamp.display(), coding, part,
                  report ? sms::deliveryStatusText(sms->status) : sms->text});
    }
    return status;
}

int pduEncode(const GlobalOptions &, const QStringList &args)
{
    QString to;
    QString text;
    bool report = false;
    int validity = 0xC4; // 30 days, as the composer starts
    bool haveText = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--to") && i + 1 < args.size()) {
            to = args[++i];
        } else if (a == QLatin1String("--validity") && i + 1 < args.size()) {
            bool ok = false;
            const QString v = args[++i];
            validity = v.toInt(&ok, 16);
            if (!ok || v.size() != 2 || validity < 0)
                return usage(QStringLiteral("--validity takes two hexadecimal digits, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--report")) {
            report = true;
        } else if (!haveText && !a.startsWith(QLatin1String("--"))) {
            text = a;
            haveText = true;
        } else {
            return usage(QStringLiteral("pdu encode: unexpected argument \"%1\"").arg(a));
        }
    }
    if (to.isEmpty() || !haveText)
        return usage(QStringLiteral("pdu encode needs --to NUMBER and a TEXT"));
    const auto parts = sms::encodeMessage(to, quint8(validity), text, report);
    if (!parts) {
        fail(parts.error());
        return Failure;
    }
    for (const sms::SubmitPdu &p : *parts)
        printRow({p.pdu, QString::number(p.tpduLength)});
    return Success;
}

// --- phonebook ---------------------------------------------------------------------------

std::optional<phonebook::BookFormat> formatOf(const QString &path, std::initializer_list<phonebook::BookFormat> allowed)
{
    const auto f = phonebook::bookFormatOf(path, Qt::CaseInsensitive);
    if (f && std::find(allowed.begin(), allowed.end(), *f) != allowed.end())
        return f;
    return std::nullopt;
}

QString extensions(std::initializer_list<phonebook::BookFormat> allowed)
{
    QStringList out;
    for (auto f : allowed)
        out << phonebook::extensionOf(f);
    return out.join(QStringLiteral(", "));
}

constexpr std::initializer_list<phonebook::BookFormat> kReadable = {phonebook::BookFormat::Dat, phonebook::BookFormat::Vcf,
                                                                    phonebook::BookFormat::Json};
constexpr std::initializer_list<phonebook::BookFormat> kWritable = {phonebook::BookFormat::Dat, phonebook::BookFormat::Csv,
                                                                    phonebook::BookFormat::Xls, phonebook::BookFormat::Vcf,
                                                                    phonebook::BookFormat::Json};

bool loadContacts(const QString &path, phonebook::ContactList *contacts)
{
    const auto format = formatOf(path, kReadable);
    if (!format) {
        fail(QStringLiteral("%1: a book is read from %2 files").arg(path, extensions(kReadable)));
        return false;
    }
    QByteArray bytes;
    if (!readFile(path, &bytes))
        return false;
    const auto book = phonebook::readBookFile(bytes, *format, link::loadGroupNames());
    if (!book) {
        fail(QStringLiteral("%1: %2").arg(path, book.error()));
        return false;
    }
    for (const QString &w : book->warnings)
        notice(QStringLiteral("warning: %1: %2").arg(path, w));
    *contacts = book->contacts;
    return true;
}

// Writes `contacts` as OUT by its extension (`phoneBytes`: a .dat keeps the phone's own bytes).
bool saveContacts(const GlobalOptions &options, const QString &out, const phonebook::ContactList &contacts,
                  const QByteArray &phoneBytes = {})
{
    const auto format = formatOf(out, kWritable);
    const auto file = phoneBytes.isNull() || format != phonebook::BookFormat::Dat
                          ? phonebook::writeBookFile(contacts, *format, link::loadGroupNames())
                          : Checked<phonebook::ExportedFile>(phonebook::ExportedFile{phoneBytes, {}});
    if (!file) {
        fail(QStringLiteral("cannot write %1: %2").arg(out, file.error()));
        return false;
    }
    if (!mayReplace(options, out) || !writeFile(out, file->bytes))
        return false;
    if (!file->lossyRows.isEmpty())
        notice(QStringLiteral("warning: %1").arg(phonebook::lossyWarning(contacts, file->lossyRows)));
    notice(QStringLiteral("%1 contacts written to %2").arg(contacts.size()).arg(out));
    return true;
}

int phonebookShow(const GlobalOptions &, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("phonebook show needs one FILE"));
    phonebook::ContactList contacts;
    if (!loadContacts(args[0], &contacts))
        return Failure;
    for (const auto &c : contacts)
        printRow(phonebook::addressListRow(c));
    return Success;
}

int phonebookConvert(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("phonebook convert needs IN and OUT"));
    if (!formatOf(args[1], kWritable))
        return usage(QStringLiteral("OUT must end in %1: %2").arg(extensions(kWritable), args[1]));
    phonebook::ContactList contacts;
    if (!loadContacts(args[0], &contacts))
        return Failure;
    return saveContacts(options, args[1], contacts) ? Success : Failure;
}

// The phone's file through the command line's own transfer on the diagnostic port.
struct PhoneBookLink {
    std::unique_ptr<link::PhoneLink> phone;
    CliAsker asker;
    std::unique_ptr<link::BrewTransfer> transfer;
    link::TransferRunner run;

    explicit PhoneBookLink(const GlobalOptions &options) : phone(openDiag(options)), asker(options.overwrite)
    {
        if (!phone)
            return;
        transfer = std::make_unique<link::BrewTransfer>(*phone, asker);
        link::BrewTransfer *t = transfer.get();
        run = [t](link::TransferRequest r) { return t->run(std::move(r)); };
    }
    int failed(const link::Outcome &o, const QString &what)
    {
        phone->closePorts();
        fail(QStringLiteral("%1 failed (%2)").arg(what, describeFailure(o)));
        return Failure;
    }
};

int phonebookPull(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("phonebook pull needs one FILE"));
    if (!formatOf(args[0], kWritable))
        return usage(QStringLiteral("FILE must end in %1: %2").arg(extensions(kWritable), args[0]));
    // Asked before the phone is read: a file that is to stay is never touched.
    if (!mayReplace(options, args[0]))
        return Failure;
    PhoneBookLink pl(options);
    if (!pl.phone)
        return Failure;
    const auto read = QCoro::waitFor(link::readPhonebook(pl.run));
    if (!read.ok())
        return pl.failed(read.outcome, QStringLiteral("reading the phone's address book"));
    pl.phone->closePorts();
    const auto book = phonebook::readBookFile(read.value, phonebook::BookFormat::Dat);
    for (const QString &w : book->warnings)
        notice(QStringLiteral("warning: %1").arg(w));
    GlobalOptions replace = options;
    replace.overwrite = Overwrite::Yes; // already answered above
    return saveContacts(replace, args[0], book->contacts, read.value) ? Success : Failure;
}

QString summaryLine(const phonebook::ChangeSummary &s)
{
    QStringList parts;
    auto add = [&parts](const QList<phonebook::ContactChange> &changes, const char *what) {
        QStringList names;
        for (const auto &c : changes)
            names << c.name;
        if (!changes.isEmpty())
            parts << QStringLiteral("%1 %2 (%3)").arg(changes.size()).arg(QLatin1String(what), names.join(QStringLiteral("; ")));
    };
    add(s.added, "added");
    add(s.changed, "changed");
    add(s.removed, "removed");
    parts << QStringLiteral("%1 unchanged").arg(s.unchanged);
    return parts.join(QStringLiteral(", "));
}

int phonebookPush(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("phonebook push needs one FILE"));
    phonebook::ContactList contacts;
    if (!loadContacts(args[0], &contacts))
        return Failure;
    // Refused before the port is opened: nothing goes to the phone.
    if (const auto problems = phonebook::checkForPhone(contacts); !problems.isEmpty()) {
        for (const auto &p : problems)
            fail(p.text);
        return Failure;
    }
    PhoneBookLink pl(options);
    if (!pl.phone)
        return Failure;
    link::ConfirmChanges tell = [](phonebook::ChangeSummary s) -> QCoro::Task<bool> {
        notice(QStringLiteral("changes on the phone: %1").arg(summaryLine(s)));
        co_return true;
    };
    const auto written = QCoro::waitFor(link::writePhonebook(pl.run, contacts, link::phonebookBackupFolder(), tell));
    if (!written.backupFile.isEmpty())
        notice(QStringLiteral("the phone's previous address book is kept in %1").arg(written.backupFile));
    if (!written.outcome.ok()) {
        if (written.offerRestore)
            notice(QStringLiteral("the phone's address book may be gone; put the copy back with: vandrel-cli phonebook restore %1")
                       .arg(written.backupFile));
        return pl.failed(written.outcome, QStringLiteral("writing the address book"));
    }
    pl.phone->closePorts();
    notice(QStringLiteral("%1 contacts written to the phone").arg(contacts.size()));
    return Success;
}

int phonebookRestore(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("phonebook restore needs one BACKUP.dat"));
    PhoneBookLink pl(options);
    if (!pl.phone)
        return Failure;
    const link::Outcome o = QCoro::waitFor(link::restorePhonebook(pl.run, args[0]));
    if (!o.ok())
        return pl.failed(o, QStringLiteral("writing %1 back").arg(args[0]));
    pl.phone->closePorts();
    notice(QStringLiteral("%1 is the phone's address book again").arg(args[0]));
    return Success;
}

// --- calendar and phone databases --------------------------------------------------------

int calendarShow(const GlobalOptions &, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("calendar show needs one FILE"));
    QByteArray bytes;
    if (!readFile(args[0], &bytes))
        return Failure;
    const auto cal = calendar::ReadVCalendar(bytes);
    if (!cal) {
        fail(QStringLiteral("%1: %2").arg(args[0], cal.error()));
        return Failure;
    }
    for (const QString &p : cal->problems)
        notice(QStringLiteral("warning: %1").arg(p));
    for (const auto &e : cal->events)
        printRow(e.columns());
    return Success;
}

// The phone's calendar as it is (.vcs) or as iCalendar (.ics).
int calendarPull(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("calendar pull needs one FILE.vcs or FILE.ics"));
    const QString target = args[0];
    const QString suffix = QFileInfo(target).suffix().toLower();
    if (suffix != u"vcs" && suffix != u"ics")
        return usage(QStringLiteral("calendar pull saves FILE.vcs (as the phone keeps it) or FILE.ics"));
    if (!mayReplace(options, target))
        return Failure;
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    CliAsker asker(options.overwrite);
    link::BrewTransfer transfer(*phone, asker);
    const auto read = QCoro::waitFor(transfer.readFile(QStringLiteral("brew/master_events.dat"), QString()));
    phone->closePorts();
    if (!read.ok()) {
        fail(QStringLiteral("reading the calendar failed (%1)").arg(describeFailure(read.outcome)));
        return Failure;
    }
    if (suffix == u"vcs")
        return writeFile(target, read.value) ? Success : Failure;
    const auto cal = calendar::ReadVCalendar(read.value);
    if (!cal) {
        fail(QStringLiteral("the phone's calendar cannot be converted: %1").arg(cal.error()));
        return Failure;
    }
    const calendar::ICalendarFile ics = calendar::writeICalendar(cal->events, QDateTime::currentDateTimeUtc());
    if (!writeFile(target, ics.bytes))
        return Failure;
    for (const QString &p : cal->problems)
        notice(QStringLiteral("warning: %1").arg(p));
    for (const QString &p : ics.problems)
        notice(QStringLiteral("not in %1 as listed: %2").arg(target, p));
    return ics.problems.isEmpty() ? Success : Failure;
}

int phonedbShow(const GlobalOptions &, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("phonedb show needs one FOLDER"));
    const QDir dir(args[0]);
    if (!dir.exists()) {
        fail(QStringLiteral("no folder %1").arg(args[0]));
        return Failure;
    }
    QByteArray bytes;
    if (dir.exists(phonedb::kGroupFileName) && readFile(dir.filePath(phonedb::kGroupFileName), &bytes)) {
        const phonedb::GroupList groups = phonedb::ReadGroups(bytes);
        for (const QString &p : groups.problems)
            notice(QStringLiteral("warning: %1").arg(p));
        for (const auto &g : groups.groups)
            printRow({QStringLiteral("group"), QString::number(g.number), g.name});
    }
    for (int n = 1; n <= phonedb::kMaxNumbered; ++n) {
        const QString name = phonedb::profileFileName(n);
        if (!dir.exists(name) || !readFile(dir.filePath(name), &bytes))
            continue;
        const phonedb::GProfil p = phonedb::readProfile(bytes);
        printRow({QStringLiteral("profile"), name, p.profileName, p.isHttp == 1 ? QStringLiteral("HTTP") : QStringLiteral("WAP"),
                  p.isSecure == 1 ? QStringLiteral("secured") : QStringLiteral("unsecured"), p.proxyServer,
                  QString::number(p.proxyPort), p.login});
    }
    for (int n = 1; n <= phonedb::kMaxNumbered; ++n) {
        const QString name = phonedb::accountFileName(n);
        if (!dir.exists(name) || !readFile(dir.filePath(name), &bytes))
            continue;
        const phonedb::TEmail a = phonedb::readAccount(bytes);
        printRow({QStringLiteral("account"), name, a.accountName, a.emailAddress, a.serverType == 1 ? QStringLiteral("IMAP4") : QStringLiteral("POP3"),
                  a.serverType == 1 ? a.imap4Server : a.pop3Server, a.serverType == 1 ? a.imap4Port : a.pop3Port, a.smtpServer, a.smtpPort,
                  QStringLiteral("profile%1").arg(a.dataProfile)});
    }
    return Success;
}

const bool registered = [] {
    registerCommand({QStringLiteral("pdu"), QStringLiteral("decode"), QStringLiteral("HEX..."),
                     QStringLiteral("decode SMS PDUs: direction, centre, number, date, coding, part, text"), pduDecode});
    registerCommand({QStringLiteral("pdu"), QStringLiteral("encode"), QStringLiteral("--to NUMBER [--validity HH] [--report] TEXT"),
                     QStringLiteral("encode a message: each part's PDU and its AT+CMGS length"), pduEncode});
    registerCommand({QStringLiteral("phonebook"), QStringLiteral("show"), QStringLiteral("FILE.dat|.vcf|.json"),
                     QStringLiteral("list the contacts of a phonebook file"), phonebookShow});
    registerCommand({QStringLiteral("phonebook"), QStringLiteral("convert"), QStringLiteral("IN OUT"),
                     QStringLiteral("convert a phonebook (.dat, .vcf or .json) to .dat, .csv, .xls, .vcf or .json by OUT's extension"),
                     phonebookConvert});
    registerCommand({QStringLiteral("phonebook"), QStringLiteral("pull"), QStringLiteral("FILE"),
                     QStringLiteral("read the phone's address book into FILE (.dat, .csv, .xls, .vcf or .json)"), phonebookPull});
    registerCommand({QStringLiteral("phonebook"), QStringLiteral("push"), QStringLiteral("FILE"),
                     QStringLiteral("write FILE (.dat, .vcf or .json) as the phone's address book, after a backup of the phone's copy"),
                     phonebookPush});
    registerCommand({QStringLiteral("phonebook"), QStringLiteral("restore"), QStringLiteral("BACKUP.dat"),
                     QStringLiteral("write a backup kept by push back as the phone's address book, byte for byte"), phonebookRestore});
    registerCommand({QStringLiteral("calendar"), QStringLiteral("show"), QStringLiteral("FILE"),
                     QStringLiteral("list the events of a vCalendar file in eight columns"), calendarShow});
    registerCommand({QStringLiteral("calendar"), QStringLiteral("pull"), QStringLiteral("FILE.vcs|FILE.ics"),
                     QStringLiteral("save the phone's calendar as it is (.vcs) or as iCalendar (.ics); needs --diag"), calendarPull});
    registerCommand({QStringLiteral("phonedb"), QStringLiteral("show"), QStringLiteral("FOLDER"),
                     QStringLiteral("list the groups, profiles and e-mail accounts of copied database files"), phonedbShow});
    return true;
}();

} // namespace
} // namespace vandrel::cli
