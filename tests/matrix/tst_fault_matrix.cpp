// Every failure the virtual phone can produce against every operation the program runs on it.
// In each cell the operation must end, leave the user's files on the computer and the phone
// either as they were or wholly new, and end in an outcome that names what happened; a
// success must really have happened. The matrix is printed as a table at the end.
#include "common/testmain.h"
#include "integration/phonerig.h"

#include <core/install/jad.h>
#include <core/phonebook/pbmfile.h>
#include <link/brewsession.h>
#include <link/brewtransfer.h>
#include <link/connectflow.h>
#include <link/installsession.h>
#include <link/obexsession.h>
#include <link/obextransfer.h>
#include <link/phonebookfiles.h>
#include <link/smssession.h>

#include <QFile>
#include <QTest>
#include <QTimer>
#include <array>

using namespace vandrel;
using namespace vandrel::link;
using namespace std::chrono_literals;
using Controls = phonesim::Controls;

namespace {

enum Op { Connect, ObexList, Get, Put, BrewList, Read, Write, SmsList, SmsSend, BookRead, BookWrite, Install, Capture, OpCount };
constexpr std::array<const char *, OpCount> kOpNames{"connect", "obex list", "get", "put", "brew list", "read", "write",
                                                     "sms list", "sms send", "book rd", "book wr", "install", "capture"};
bool onDiag(Op op) { return op == BrewList || op == Read || op == Write || op >= BookRead; }
Controls::Port portOf(Op op) { return onDiag(op) ? Controls::Diag : Controls::Modem; }

// Short, but far above what a loaded machine adds to a reply.
constexpr auto kLimit = 600ms;
// Far beyond any limit of a cell: an operation still running then is hung.
constexpr auto kHung = 20s;

QByteArray pattern(int n, int salt)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + salt * 13 + i / 251) & 0xFF);
    return b;
}
const QByteArray kOld = pattern(3000, 1);
const QByteArray kNew = pattern(3500, 2);
const QString kTheme = install::installFolder(install::Kind::Theme) + QStringLiteral("t.sdt");

phonebook::ContactList named(int count, const QString &name)
{
    phonebook::ContactRecord c;
    c.surname = name;
    return phonebook::ContactList(count, c);
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool put(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Old, new, or (`allowGone`) no file at all; anything else is a file cut off or mixed.
QString wholeFile(const QString &what, const QString &path, bool allowGone = false)
{
    const QByteArray b = bytesOf(path);
    if (b == kOld || b == kNew || (allowGone && b == "<missing>"))
        return {};
    return QStringLiteral("%1 damaged (%2 bytes)").arg(what).arg(b == "<missing>" ? -1 : b.size());
}

enum class Expect { Success, Either, Failure };

struct Failure {
    const char *name;
    Expect expect;
    QList<FailureKind> kinds; // the failures that name this fault; empty: any
    QList<Op> only;           // the operations it can reach; empty: all
    // Applied once the operation's port is open; `bytes`: what the phone sends in a clean run.
    std::function<void(Controls &, Op, qint64 bytes)> apply;
    // The operations that must complete all the same (the fault can be passed over).
    QList<Op> survivors = {};
};

// The command each operation on the modem port is refused at.
const QString kAtError[OpCount] = {u"ATE1"_qs, u"AT^SQWE=3"_qs, u"AT^SQWE=3"_qs, u"AT^SQWE=3"_qs, {}, {}, {},
                                   u"AT+CMGL=4"_qs, u"AT+CMGF=0"_qs};

Failure dropAt(const char *name, int percent)
{
    return {name, percent == 0 ? Expect::Failure : Expect::Either, {FailureKind::LinkLost, FailureKind::PortClosed}, {},
            [percent](Controls &c, Op op, qint64 bytes) { c.dropLinkAfter(bytes * percent / 100, portOf(op)); }};
}

const QList<Failure> &failures()
{
    using K = FailureKind;
    static const QList<Failure> rows{
        {"clean", Expect::Success, {}, {}, [](Controls &c, Op, qint64) { c.sendWhole(); }},
        {"no reply", Expect::Failure, {K::TimeOut}, {}, [](Controls &c, Op op, qint64) { c.goSilentAfter(0, portOf(op)); }},
        {"ERROR", Expect::Failure, {K::PhoneError, K::Refused}, {Connect, ObexList, Get, Put, SmsList, SmsSend},
         [](Controls &c, Op op, qint64) { c.answerErrorTo(kAtError[op]); }},
        {"+CMS ERROR", Expect::Failure, {K::Refused}, {SmsSend}, [](Controls &c, Op, qint64) { c.failNextSend(500); }},
        {"refused read", Expect::Failure, {K::Refused}, {Read, BookRead, BookWrite, Capture},
         [](Controls &c, Op, qint64) { c.refuseNextRead(99); }},
        {"refused write", Expect::Failure, {K::Refused}, {Write, BookWrite, Install},
         [](Controls &c, Op, qint64) { c.refuseNextWrite(99); }},
        dropAt("drop at 0", 0),
        dropAt("drop at 10%", 10),
        dropAt("drop at 50%", 50),
        dropAt("drop at 95%", 95),
        {"garbage first", Expect::Either, {}, {}, [](Controls &c, Op op, qint64) { c.sendGarbageBeforeReplyAfter(0, portOf(op)); },
         {Connect, ObexList, Get, Put, BrewList, Write, SmsList, SmsSend, Install}},
        {"garbage middle", Expect::Either, {}, {},
         [](Controls &c, Op op, qint64 bytes) { c.sendGarbageBeforeReplyAfter(bytes / 2, portOf(op)); }},
        {"bad check value", Expect::Either, {}, {BrewList, Read, Write, BookRead, BookWrite, Install, Capture},
         [](Controls &c, Op, qint64) { c.breakNextCrc(); }},
        {"late, inside", Expect::Success, {}, {},
         [](Controls &c, Op op, qint64 bytes) { c.stallAfter(bytes / 2, int(kLimit.count() / 2), portOf(op)); }},
        {"late, past", Expect::Failure, {K::TimeOut}, {},
         [](Controls &c, Op op, qint64 bytes) { c.stallAfter(bytes / 2, int(kLimit.count() * 3), portOf(op)); }},
        {"bytewise", Expect::Success, {}, {}, [](Controls &c, Op, qint64) { c.splitByteByByte(); }},
        {"random split", Expect::Success, {}, {},
         [](Controls &c, Op, qint64 bytes) { c.splitRandomly(quint32(bytes)); }},
    };
    return rows;
}

bool reaches(const Failure &f, Op op) { return f.only.isEmpty() || f.only.contains(op); }

// One cell: a fresh phone with small files, a local folder, the fault, the operation.
struct Cell {
    QTemporaryDir local{itest::scratchTemplate()};
    std::unique_ptr<itest::PhoneRig> rig;
    FixedAsker asker{Answer::YesToAll};
    Outcome outcome;
    QString problem;

    QString here(const QString &name) const { return local.filePath(name); }
    QString obex(const QString &rel) const { return rig->phone->obexRoot() + QStringLiteral("/mmc/") + rel; }
    QString brew(const QString &rel) const { return rig->phone->brewRoot() + QLatin1Char('/') + rel; }

    Cell()
    {
        rig = std::make_unique<itest::PhoneRig>(5, [](const QString &root) {
            const QString obex = phonesim::obexRootOf(root) + QStringLiteral("/mmc/");
            const QString brew = phonesim::brewRootOf(root) + QLatin1Char('/');
            put(obex + u"a.bin"_qs, kNew);
            put(obex + u"b.bin"_qs, kOld);
            put(brew + u"brew/shared/a.bin"_qs, kNew);
            put(brew + u"brew/shared/b.bin"_qs, kOld);
            put(brew + kTheme, kOld);
            put(brew + kPhonebookPhoneName, phonebook::EncodeAddressBook(named(2, u"Old"_qs)).value());
        });
        put(here(u"a.bin"_qs), kOld);
        put(here(u"b.bin"_qs), kNew);
        put(here(u"read.bin"_qs), kOld);
        put(here(u"t.sdt"_qs), kNew);
        QDir().mkpath(here(u"backups"_qs));
        auto &t = rig->link->timing();
        t.replyLimit = kLimit;
        t.echoLimit = kLimit;
        t.smsPromptLimit = kLimit;
        t.smsSendLimit = kLimit * 2; // a late reply past the limit comes later than both
        t.obexPhaseLimit = 10s;
        rig->phone->receiveMessage(u"+420602123456"_qs, u"první"_qs);
        rig->phone->receiveMessage(u"+420602123456"_qs, u"druhá"_qs);
    }

    void prepare(Op op)
    {
        if (op != Connect)
            (void)(onDiag(op) ? rig->diag : rig->modem)->open();
    }

    qint64 phoneSent(Op op) { return (onDiag(op) ? rig->phone->diagOutput() : rig->phone->modemOutput()).bytesSent(); }

    void fail(const QString &why)
    {
        if (problem.isEmpty())
            problem = why;
    }

    // Runs the operation and checks what it left behind.
    void run(Op op)
    {
        const auto listed = [this](const QList<explorer::DirEntry> &entries, const QString &name) {
            for (const auto &e : entries)
                if (e.name == name)
                    return;
            fail(QStringLiteral("%1 missing from the listing").arg(name));
        };
        PhoneLink &link = *rig->link;
        switch (op) {
        case Connect: {
            ConnectSession session(link, ConnectMode::Obex, false);
            const QStringList path{u"mmc"_qs};
            const auto r = QCoro::waitFor(connectAndList(link, session, path, false));
            if ((outcome = r.outcome).ok())
                listed(r.value.entries, u"a.bin"_qs);
            break;
        }
        case ObexList: {
            ObexSession session(link);
            const auto r = QCoro::waitFor(session.list({u"mmc"_qs}, false));
            if ((outcome = r.outcome).ok())
                listed(r.value.entries, u"a.bin"_qs);
            break;
        }
        case Get: {
            ObexTransfer transfer(link, asker);
            outcome = QCoro::waitFor(transfer.download({u"mmc"_qs}, {u"a.bin"_qs}, local.path()));
            fail(wholeFile(u"local a.bin"_qs, here(u"a.bin"_qs)));
            if (outcome.ok() && bytesOf(here(u"a.bin"_qs)) != kNew)
                fail(u"not copied"_qs);
            break;
        }
        case Put: {
            ObexTransfer transfer(link, asker);
            outcome = QCoro::waitFor(transfer.upload({u"mmc"_qs}, {u"b.bin"_qs}, local.path()));
            fail(wholeFile(u"phone b.bin"_qs, obex(u"b.bin"_qs)));
            if (outcome.ok() && bytesOf(obex(u"b.bin"_qs)) != kNew)
                fail(u"not copied"_qs);
            break;
        }
        case BrewList: {
            BrewSession session(link);
            const auto r = QCoro::waitFor(session.listBrewFolder(u"brew/shared/"_qs));
            if ((outcome = r.outcome).ok())
                listed(r.value.entries, u"a.bin"_qs);
            break;
        }
        case Read: {
            BrewTransfer transfer(link, asker);
            const auto r = QCoro::waitFor(transfer.readFile(u"brew/shared/a.bin"_qs, here(u"read.bin"_qs)));
            fail(wholeFile(u"local read.bin"_qs, here(u"read.bin"_qs)));
            if ((outcome = r.outcome).ok() && (r.value != kNew || bytesOf(here(u"read.bin"_qs)) != kNew))
                fail(u"not read"_qs);
            break;
        }
        case Write: {
            BrewTransfer transfer(link, asker);
            outcome = QCoro::waitFor(transfer.writeFile(here(u"b.bin"_qs), u"brew/shared/b.bin"_qs));
            checkBrewWrite(brew(u"brew/shared/b.bin"_qs), u"b.bin"_qs);
            break;
        }
        case SmsList: {
            const auto r = QCoro::waitFor(listMessages(link, SmsFilter::All));
            if ((outcome = r.outcome).ok() && r.value.messages.size() != 2)
                fail(QStringLiteral("%1 messages listed").arg(r.value.messages.size()));
            break;
        }
        case SmsSend: {
            OutgoingSms message{u"+420602987654"_qs, {}, u"Ahoj"_qs};
            SendProgressHandler onProgress = [](const SendProgress &) {};
            const auto r = QCoro::waitFor(sendMessage(link, message, onProgress, std::make_shared<SendCancel>()));
            outcome = r.outcome;
            if (outcome.isFailed())
                outcome.detail = sendFailureText(r);
            const bool went = rig->phone->sentMessages().size() == 1;
            if (outcome.ok() != went && !(went && r.value.unconfirmed))
                fail(u"sent and reported disagree: "_qs + outcome.detail);
            break;
        }
        case BookRead: {
            BrewTransfer transfer(link, asker);
            TransferRunner runner = [&transfer](TransferRequest r) { return transfer.run(std::move(r)); };
            const auto r = QCoro::waitFor(readPhonebook(runner));
            if ((outcome = r.outcome).ok() && phonebook::DecodeAddressBook(r.value).contacts.size() != 2)
                fail(u"book not read"_qs);
            break;
        }
        case BookWrite: {
            BrewTransfer transfer(link, asker);
            TransferRunner runner = [&transfer](TransferRequest r) { return transfer.run(std::move(r)); };
            const auto w = QCoro::waitFor(writePhonebook(runner, named(3, u"New"_qs), here(u"backups"_qs), {}));
            outcome = w.outcome;
            const QByteArray now = bytesOf(brew(kPhonebookPhoneName));
            const auto contacts = phonebook::DecodeAddressBook(now).contacts;
            const bool whole = (contacts.size() == 2 && contacts[0].surname == u"Old"_qs) ||
                               (contacts.size() == 3 && contacts[0].surname == u"New"_qs);
            if (!whole && !(outcome.isFailed() && w.offerRestore))
                fail(u"phone book damaged, no restore offered"_qs);
            if (outcome.ok() && contacts.size() != 3)
                fail(u"book not written"_qs);
            if (!w.backupFile.isEmpty() && bytesOf(w.backupFile) != phonebook::EncodeAddressBook(named(2, u"Old"_qs)).value())
                fail(u"backup damaged"_qs);
            break;
        }
        case Install: {
            BrewSession session(link);
            InstallSession installer(session);
            InstallRequest request;
            request.kind = install::Kind::Theme;
            request.themePath = here(u"t.sdt"_qs);
            outcome = QCoro::waitFor(installer.install(request));
            checkBrewWrite(brew(kTheme), u"t.sdt"_qs);
            break;
        }
        case Capture: {
            BrewSession session(link);
            const auto r = QCoro::waitFor(session.captureDisplay());
            if ((outcome = r.outcome).ok() && !r.value.startsWith("BM"))
                fail(u"no picture"_qs);
            break;
        }
        case OpCount: break;
        }
        // As the program ends a broken link after any failure.
        link.handleFailure(outcome);
        if (outcome.isFailed() && (onDiag(op) ? rig->diag : rig->modem)->isOpen())
            fail(followUp(op));
        if (!rig->anomalies().isEmpty())
            fail(u"the phone saw: "_qs + rig->anomalies());
        // Nothing lost or left behind on the computer.
        const QStringList after = QDir(local.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        if (after != QStringList{u"a.bin"_qs, u"b.bin"_qs, u"backups"_qs, u"read.bin"_qs, u"t.sdt"_qs})
            fail(u"local folder: "_qs + after.join(u' '));
        fail(wholeFile(u"local b.bin"_qs, here(u"b.bin"_qs)));
        fail(wholeFile(u"local t.sdt"_qs, here(u"t.sdt"_qs)));
    }

    // With the fault gone, the next operation on a port left open works at once, whatever the
    // phone still owed the failed one.
    QString followUp(Op op)
    {
        rig->phone->controls().speakAgain().clearErrorAnswers().sendWhole();
        Outcome next;
        if (onDiag(op)) {
            BrewSession session(*rig->link);
            next = QCoro::waitFor(session.listBrewFolder(u"brew/shared/"_qs)).outcome;
        } else {
            ObexSession session(*rig->link);
            next = QCoro::waitFor(session.list({u"mmc"_qs}, false)).outcome;
        }
        return next.ok() ? QString() : u"the next listing failed: "_qs + next.detail;
    }

    // A BREW file is written in place: cut off is allowed only when the outcome names the file.
    void checkBrewWrite(const QString &path, const QString &name)
    {
        const QString damaged = wholeFile(name, path, outcome.isFailed());
        if (!damaged.isEmpty() && !(outcome.isFailed() && outcome.detail.contains(name)))
            fail(damaged + u", not said: "_qs + outcome.detail);
        if (outcome.ok() && bytesOf(path) != kNew)
            fail(u"not written"_qs);
    }
};

QString judge(const Failure &f, Op op, const Cell &cell)
{
    const Outcome &o = cell.outcome;
    if (!cell.problem.isEmpty())
        return cell.problem;
    if (o.isCancelled())
        return u"ended as cancelled"_qs;
    if ((f.expect == Expect::Success || f.survivors.contains(op)) && !o.ok())
        return u"failed: "_qs + describe(o.kind) + u": "_qs + o.detail;
    if (f.expect == Expect::Failure && o.ok())
        return u"reported success"_qs;
    if (o.isFailed() && o.detail.isEmpty() && o.wording == Wording::None)
        return u"failure without words"_qs;
    if (o.isFailed() && !f.kinds.isEmpty() && !f.kinds.contains(o.kind))
        return u"ended as "_qs + describe(o.kind) + u": "_qs + o.detail;
    return {};
}

// What each operation's port carries from the phone in a clean run, for the drop points.
std::array<qint64, OpCount> g_cleanBytes{};
QStringList g_table;

} // namespace

class FaultMatrixTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (int op = 0; op < OpCount; ++op) {
            Cell cell;
            cell.rig->phone->controls().sendWhole();
            cell.prepare(Op(op));
            cell.run(Op(op));
            QVERIFY2(cell.outcome.ok() && cell.problem.isEmpty(),
                     qPrintable(QStringLiteral("%1: %2 %3").arg(QLatin1String(kOpNames[op]), cell.problem, cell.outcome.detail)));
            g_cleanBytes[op] = cell.phoneSent(Op(op));
        }
        QString head = QStringLiteral("%1").arg(QString(), -16);
        for (const char *name : kOpNames)
            head += QStringLiteral("%1").arg(QLatin1String(name), -10);
        g_table << head;
    }

    void cleanupTestCase()
    {
        for (const QString &line : std::as_const(g_table))
            qInfo().noquote() << line;
    }

    void cell_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < failures().size(); ++i)
            QTest::newRow(failures()[i].name) << i;
    }
    void cell()
    {
        QFETCH(int, row);
        const Failure &f = failures()[row];
        QString line = QStringLiteral("%1").arg(QLatin1String(f.name), -16);
        QStringList problems;
        for (int i = 0; i < OpCount; ++i) {
            const Op op = Op(i);
            if (!reaches(f, op)) {
                line += QStringLiteral("%1").arg(u"-"_qs, -10);
                continue;
            }
            Cell cell;
            cell.prepare(op);
            f.apply(cell.rig->phone->controls(), op, g_cleanBytes[op]);
            bool hung = false;
            QTimer watchdog;
            watchdog.setSingleShot(true);
            connect(&watchdog, &QTimer::timeout, &watchdog, [&] {
                hung = true;
                cell.rig->link->closePorts();
            });
            watchdog.start(kHung);
            cell.run(op);
            const QString why = hung ? u"hung"_qs : judge(f, op, cell);
            line += QStringLiteral("%1").arg(why.isEmpty() ? u"ok"_qs : u"FAIL"_qs, -10);
            if (!why.isEmpty())
                problems << QStringLiteral("%1: %2").arg(QLatin1String(kOpNames[i]), why);
        }
        g_table << line;
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_qs)));
    }
};

VANDREL_TEST(FaultMatrixTest)
#include "tst_fault_matrix.moc"
