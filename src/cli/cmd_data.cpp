// Commands on the phone's data: SMS PDUs, phonebook files, the calendar file and the folder of
// database copies read and written offline; the calendar pulled from the phone.
#include "cli.h"
#include "cliasker.h"
#include "clilink.h"

#include "core/calendar/icalendar.h"
#include "core/calendar/vcalendar.h"
#include "core/phonebook/exports.h"
#include "core/phonebook/pbmfile.h"
#include "core/phonedb/accounts.h"
#include "core/phonedb/groups.h"
#include "core/sms/pdu.h"

#include <link/brewtransfer.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

QJsonDocument toJson(const phonebook::ContactList &contacts)
{
    QJsonArray array;
    for (const auto &c : contacts) {
        QJsonObject o;
        for (int f = 0; f < phonebook::kFieldCount; ++f) {
            if (f == phonebook::kDefaultNumberField)
                o.insert(phonebook::fieldName(f), int(c.defaultNumber));
            else if (f == phonebook::kGroupField && !c.group.isEmpty())
                o.insert(phonebook::fieldName(f), int(c.group.at(0).unicode()));
            else if (!c.field(f).isEmpty())
                o.insert(phonebook::fieldName(f), c.field(f));
        }
        array.append(o);
    }
    return QJsonDocument(array);
}

bool fromJson(const QByteArray &bytes, phonebook::ContactList *contacts, QString *why)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (!doc.isArray()) {
        *why = error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not a list of contacts");
        return false;
    }
    int index = 0;
    for (const QJsonValue &v : doc.array()) {
        ++index;
        phonebook::ContactRecord c;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            int field = -1;
            for (int f = 0; f < phonebook::kFieldCount; ++f)
                if (phonebook::fieldName(f) == it.key())
                    field = f;
            const bool numeric = field == phonebook::kDefaultNumberField || field == phonebook::kGroupField;
            if (field < 0 || (numeric ? !it->isDouble() : !it->isString())) {
                *why = QStringLiteral("contact %1: unknown or mistyped field \"%2\"").arg(index).arg(it.key());
                return false;
            }
            const int n = it->toInt(-1);
            if (field == phonebook::kGroupField) {
                if (n < 0 || n > 255) {
                    *why = QStringLiteral("contact %1: group %2 is not a number from 0 to 255").arg(index).arg(it->toDouble());
                    return false;
                }
                c.group = QString(QChar(char16_t(n)));
            } else if (!c.setField(field, numeric ? QString::number(n) : it->toString())) {
                *why = QStringLiteral("contact %1: %2 is not a default number from 0 to 4").arg(index).arg(it->toDouble());
                return false;
            }
        }
        contacts->append(c);
    }
    return true;
}

bool loadContacts(const QString &path, phonebook::ContactList *contacts)
{
    QByteArray bytes;
    if (!readFile(path, &bytes))
        return false;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        QString why;
        if (!fromJson(bytes, contacts, &why)) {
            fail(QStringLiteral("%1: %2").arg(path, why));
            return false;
        }
        return true;
    }
    const phonebook::DecodedAddressBook book = phonebook::DecodeAddressBook(bytes);
    for (const QString &p : book.problems)
        notice(QStringLiteral("warning: %1: %2").arg(path, p));
    *contacts = book.contacts;
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
        printRow({phonebook::displayOf(c), c.privateMobile, c.privateEmail, c.privateStreet, c.privateCity,
                  c.privatePostcode, c.privateCountry2, c.birthday});
    return Success;
}

int phonebookConvert(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("phonebook convert needs IN and OUT"));
    const QString &out = args[1];
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (!QStringList{QStringLiteral("dat"), QStringLiteral("csv"), QStringLiteral("xls"), QStringLiteral("json")}.contains(suffix))
        return usage(QStringLiteral("OUT must end in .dat, .csv, .xls or .json: %1").arg(out));
    phonebook::ContactList contacts;
    if (!loadContacts(args[0], &contacts))
        return Failure;
    Checked<QByteArray> bytes = QByteArray();
    QList<int> lossyRows;
    const auto eightBit = [&](const Checked<phonebook::ExportedFile> &file) -> Checked<QByteArray> {
        if (!file)
            return Checked<QByteArray>::failure(file.error());
        lossyRows = file->lossyRows;
        return file->bytes;
    };
    if (suffix == QLatin1String("csv"))
        bytes = eightBit(phonebook::WriteContactsCsv(contacts));
    else if (suffix == QLatin1String("xls"))
        bytes = eightBit(phonebook::WriteContactsXls(contacts));
    else if (suffix == QLatin1String("json"))
        bytes = toJson(contacts).toJson();
    else
        bytes = phonebook::EncodeAddressBook(contacts);
    if (!bytes) {
        fail(QStringLiteral("cannot write %1: %2").arg(out, bytes.error()));
        return Failure;
    }
    if (!mayReplace(options, out) || !writeFile(out, *bytes))
        return Failure;
    if (!lossyRows.isEmpty())
        notice(QStringLiteral("warning: %1").arg(phonebook::lossyWarning(contacts, lossyRows)));
    notice(QStringLiteral("%1 contacts written to %2").arg(contacts.size()).arg(out));
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
    registerCommand({QStringLiteral("phonebook"), QStringLiteral("show"), QStringLiteral("FILE.dat"),
                     QStringLiteral("list the contacts of a phonebook file"), phonebookShow});
    registerCommand({QStringLiteral("phonebook"), QStringLiteral("convert"), QStringLiteral("IN OUT"),
                     QStringLiteral("convert a phonebook (.dat or .json) to .dat, .csv, .xls or .json by OUT's extension"), phonebookConvert});
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
