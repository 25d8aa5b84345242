// The phone's message memory and sending, driven over a pseudo-terminal with raw AT lines;
// python3-gammu reads the phone's PDUs and writes the ones sent to it.
#include "common/testmain.h"
#include "core/peer.h"
#include "rig.h"

#include <phone-sim/virtualphone.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace vandrel;

namespace {

// The client's end of the modem port, opened as a serial port would be.
class PtyLine {
public:
    explicit PtyLine(const QString &path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios t{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(m_fd, TCSANOW, &t);
        }
    }
    ~PtyLine()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    void write(const QByteArray &bytes) { QCOMPARE(::write(m_fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size())); }
    // What arrived until `done` held (or ten seconds passed).
    QByteArray until(const std::function<bool(const QByteArray &)> &done)
    {
        [[maybe_unused]] const bool done_ = QTest::qWaitFor([&] {
            char buf[4096];
            for (ssize_t n; (n = ::read(m_fd, buf, sizeof buf)) > 0;)
                m_in.append(buf, qsizetype(n));
            return done(m_in);
        }, 10000);
        return std::exchange(m_in, {});
    }
    QByteArray ask(const QByteArray &line)
    {
        write(line);
        return until([](const QByteArray &r) {
            return r.endsWith("\r\nOK\r\n") || r.endsWith("\r\nERROR\r\n") || (r.contains("+CMS ERROR: ") && r.endsWith("\r\n"));
        });
    }

private:
    int m_fd;
    QByteArray m_in;
};

struct PtyPhone {
    explicit PtyPhone(const phonesim::SeedOptions &seed = {})
    {
        phone = std::make_unique<phonesim::VirtualPhone>(root(), seed);
        phone->controls().splitRandomly(11);
        QString error;
        if (phone->servePtys(dir.filePath(QStringLiteral("modem")), dir.filePath(QStringLiteral("diag")), &error, -1))
            modem = std::make_unique<PtyLine>(dir.filePath(QStringLiteral("modem")));
    }
    bool ready() const { return modem && modem->isOpen(); }
    QString root() const { return dir.filePath(QStringLiteral("phone")); }
    QString anomalies() const { return phone->anomalies().join(u'\n'); }

    QTemporaryDir dir{rig::scratchTemplate()};
    std::unique_ptr<phonesim::VirtualPhone> phone;
    std::unique_ptr<PtyLine> modem;
};

struct Entry {
    int index = -1; // +CMGR carries none
    int state = -1;
    int length = -1;
    QByteArray pdu;
};

QList<Entry> entries(const QByteArray &reply)
{
    static const QRegularExpression line(QStringLiteral("\\+CMG[LR]: (?:(\\d+),)?(\\d),,(\\d+)\r\n([0-9A-F]+)\r\n"));
    QList<Entry> out;
    for (auto it = line.globalMatch(QString::fromLatin1(reply)); it.hasNext();) {
        const auto m = it.next();
        out.append({m.captured(1).isEmpty() ? -1 : m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                    m.captured(4).toLatin1()});
    }
    return out;
}

QList<int> indexesOf(const QList<Entry> &list)
{
    QList<int> out;
    for (const Entry &e : list)
        out.append(e.index);
    return out;
}

// The octets after the service-centre field, as AT+CMGS announces them.
int tpduLength(const QByteArray &pdu)
{
    return int(pdu.size() / 2) - 1 - pdu.left(2).toInt(nullptr, 16);
}

// AT+CMGS, the PDU once the prompt is there, Ctrl-Z; what the phone answered.
QByteArray sendPdu(PtyLine &modem, const QByteArray &pdu, int announced)
{
    modem.write("AT+CMGS=" + QByteArray::number(announced) + '\r');
    const QByteArray prompt = modem.until([](const QByteArray &r) { return r.endsWith("\r\n> "); });
    if (!prompt.endsWith("\r\n> "))
        return "no prompt: " + prompt;
    return modem.ask(pdu + '\x1A');
}

// python3-gammu: "decode" takes PDUs and gives objects, "submit" takes messages and gives PDU lists.
QJsonArray gammu(const QString &what, const QJsonArray &items)
{
    QString why;
    const QJsonDocument answer =
        vtest::runPeer(QStringLiteral("../phone-sim/sms_peer.py"), QJsonDocument(QJsonObject{{what, items}}), &why);
    if (!answer.isObject())
        qWarning("%s", qPrintable(why));
    return answer[what == QLatin1String("decode") ? QLatin1String("decoded") : QLatin1String("submitted")].toArray();
}

QString str(const QJsonValue &o, const char *key)
{
    return o[QLatin1String(key)].toVariant().toString();
}

const QByteArray hello = "0011000C912410325476980000AA05E8329BFD06";
const QList<int> seededUnread{2, 15};

} // namespace

class SmsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void listByState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QList<int>>("indexes");
        QTest::addColumn<QList<int>>("unreadAfter");
        QList<int> all;
        for (int i = 1; i <= 16; ++i)
            all.append(i);
        QTest::newRow("0 received unread") << 0 << seededUnread << QList<int>{};
        QTest::newRow("1 received read") << 1 << QList<int>{1, 3, 4, 5, 6, 7, 8, 9, 11, 12} << seededUnread;
        QTest::newRow("2 stored sent") << 2 << QList<int>{10, 16} << seededUnread;
        QTest::newRow("3 stored unsent") << 3 << QList<int>{13, 14} << seededUnread;
        QTest::newRow("4 all") << 4 << all << QList<int>{};
    }
    void listByState()
    {
        QFETCH(int, state);
        QFETCH(QList<int>, indexes);
        QFETCH(QList<int>, unreadAfter);
        PtyPhone p;
        QVERIFY(p.ready());
        const QByteArray command = "AT+CMGL=" + QByteArray::number(state) + '\r';
        const QByteArray reply = p.modem->ask(command);
        QVERIFY(reply.startsWith(command + "\r\n+CMGL: ") && reply.endsWith("\r\n\r\nOK\r\n"));
        const QList<Entry> list = entries(reply);
        QCOMPARE(indexesOf(list), indexes);
        const QMap<int, int> notRead{{2, 0}, {15, 0}, {10, 2}, {16, 2}, {13, 3}, {14, 3}};
        for (const Entry &e : list) {
            QCOMPARE(e.state, notRead.value(e.index, 1));
            QCOMPARE(e.length, tpduLength(e.pdu));
        }
        // Listing unread messages has marked them read.
        QCOMPARE(indexesOf(entries(p.modem->ask("AT+CMGL=0\r"))), unreadAfter);
        QVERIFY2(p.anomalies().isEmpty(), qPrintable(p.anomalies()));
    }

    void longList()
    {
        PtyPhone p(phonesim::SeedOptions{320});
        QVERIFY(p.ready());
        p.phone->controls().sendWhole(); // some 30 kB: random pieces would only make it slow
        const QList<Entry> list = entries(p.modem->ask("AT+CMGL=4\r"));
        QCOMPARE(list.size(), 320);
        QCOMPARE(list.last().index, 320);
    }

    void readAndDelete()
    {
        PtyPhone p;
        QVERIFY(p.ready());
        PtyLine &m = *p.modem;
        const QList<Entry> unread = entries(m.ask("AT+CMGR=2\r"));
        QCOMPARE(unread.size(), 1);
        QCOMPARE(unread[0].state, 0);
        QCOMPARE(unread[0].length, tpduLength(unread[0].pdu));
        const QList<Entry> again = entries(m.ask("AT+CMGR=2\r"));
        QCOMPARE(again.value(0).state, 1); // read once it has been read
        QCOMPARE(again.value(0).pdu, unread[0].pdu);
        QCOMPARE(m.ask("AT+CMGD=2\r"), QByteArray("AT+CMGD=2\r\r\nOK\r\n"));
        for (const QByteArray cmd : {"AT+CMGR=2\r", "AT+CMGD=2\r", "AT+CMGR=999\r"})
            QCOMPARE(m.ask(cmd), cmd + "\r\n+CMS ERROR: 321\r\n");
        p.phone->controls().refuseNextDelete();
        QCOMPARE(m.ask("AT+CMGD=3\r"), QByteArray("AT+CMGD=3\r\r\n+CMS ERROR: 302\r\n"));
        QCOMPARE(entries(m.ask("AT+CMGR=3\r")).size(), 1);
        QVERIFY2(p.anomalies().isEmpty(), qPrintable(p.anomalies()));
        // The memory outlives a run of the phone.
        phonesim::VirtualPhone later(p.root());
        QVERIFY(!later.messageStore().at(2));
        QCOMPARE(later.messageStore().at(15)->state, 0);
        QCOMPARE(later.messageStore().count(), 15);
    }

    void newMessage_data()
    {
        QTest::addColumn<QByteArray>("notices");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("announced");
        QTest::newRow("notices on") << QByteArray("AT+CNMI=1,1,0,2\r") << QStringLiteral("Ahoj, jsi doma?") << QList<int>{17};
        QTest::newRow("notices on, two parts") << QByteArray("AT+CNMI=1,1,0,2\r") << phonesim::seededTwoPartText() << QList<int>{17, 18};
        QTest::newRow("notices off") << QByteArray() << QStringLiteral("Příjezd ve 20:15") << QList<int>{};
        QTest::newRow("notices switched off") << QByteArray("AT+CNMI=0,0,0,0\r") << QStringLiteral("Ahoj") << QList<int>{};
    }
    void newMessage()
    {
        QFETCH(QByteArray, notices);
        QFETCH(QString, text);
        QFETCH(QList<int>, announced);
        PtyPhone p;
        QVERIFY(p.ready());
        if (!notices.isEmpty())
            QVERIFY(p.modem->ask(notices).endsWith("\r\nOK\r\n"));
        const QList<int> stored = p.phone->receiveMessage(QStringLiteral("+420602123456"), text);
        QByteArray expected;
        for (const int index : announced)
            expected += "\r\n+CMTI: \"SM\"," + QByteArray::number(index) + "\r\n";
        // Notices go out at once, so they come before the answer to the next command.
        QCOMPARE(p.modem->ask("AT\r"), expected + "AT\r\r\nOK\r\n");

        const QList<Entry> unread = entries(p.modem->ask("AT+CMGL=0\r"));
        QCOMPARE(indexesOf(unread), seededUnread + stored);
        QJsonArray pdus;
        for (const Entry &e : unread.mid(seededUnread.size()))
            pdus.append(QString::fromLatin1(e.pdu));
        QString joined;
        for (const QJsonValue &v : gammu(QStringLiteral("decode"), pdus)) {
            QCOMPARE(str(v, "type") + str(v, "number"), QStringLiteral("Deliver+420602123456"));
            joined += str(v, "text");
        }
        QCOMPARE(joined, text);
        QVERIFY2(p.anomalies().isEmpty(), qPrintable(p.anomalies()));
    }

    // What the phone's own encoder stored, as gammu reads it.
    void seededMessages()
    {
        PtyPhone p;
        QVERIFY(p.ready());
        const QList<Entry> list = entries(p.modem->ask("AT+CMGL=4\r"));
        QJsonArray pdus;
        for (const Entry &e : list)
            pdus.append(QString::fromLatin1(e.pdu));
        const QJsonArray decoded = gammu(QStringLiteral("decode"), pdus);
        QCOMPARE(decoded.size(), list.size());
        QHash<int, QJsonValue> at;
        for (qsizetype i = 0; i < list.size(); ++i)
            at.insert(list[i].index, decoded[i]);

        // type, number, text
        const QHash<int, QStringList> singles = {
            {1, {u"Deliver"_qs, u"+420602123456"_qs, u"Cena 5€, sleva [20 %] a {bonus}. Kod: ~A|B^C\\D"_qs}},
            {2, {u"Deliver"_qs, u"+420731987654"_qs, u"Příliš žluťoučký kůň úpěl ďábelské ódy. Věra"_qs}},
            {5, {u"Deliver"_qs, u"DemoNet"_qs, u"Vas kredit je 250 Kc. Dekujeme, ze pouzivate Demo Net."_qs}},
            {8, {u"Deliver"_qs, u"+420605555666"_qs, u"xxxdelxxx"_qs}},
            {10, {u"Submit"_qs, u"+420602123456"_qs, u"Dorazim v 18:00, Jan."_qs}},
            {14, {u"Submit"_qs, u"+420605555666"_qs, u"Zítra v kině?"_qs}},
        };
        for (auto it = singles.cbegin(); it != singles.cend(); ++it)
            QCOMPARE((QStringList{str(at[it.key()], "type"), str(at[it.key()], "number"), str(at[it.key()], "text")}), *it);

        // Parts at scattered indexes (given in part order): each message decodes to its whole text.
        const struct {
            QList<int> indexes;
            QString udh;
            QString text; // empty: part 2 of 3 is missing
        } messages[] = {
            {{3, 7}, u"ConcatenatedMessages 2"_qs, phonesim::seededTwoPartText()},
            {{12, 4, 9}, u"ConcatenatedMessages16bit 3"_qs, phonesim::seededThreePartText()},
            {{6, 11}, u"ConcatenatedMessages 3"_qs, QString()},
        };
        for (const auto &m : messages) {
            QString joined, parts;
            for (const int index : m.indexes) {
                const QJsonValue d = at[index];
                QCOMPARE(str(d, "udhType") + u' ' + str(d, "parts"), m.udh);
                QCOMPARE(str(d, "reference"), str(at[m.indexes[0]], "reference"));
                parts += str(d, "part");
                joined += str(d, "text");
            }
            QCOMPARE(parts, m.text.isEmpty() ? u"13"_qs : m.indexes.size() == 2 ? u"12"_qs : u"123"_qs);
            if (!m.text.isEmpty())
                QCOMPARE(joined, m.text);
            else
                QVERIFY(phonesim::seededIncompleteText().startsWith(str(at[6], "text")));
        }
    }
};
VANDREL_TEST(SmsStoreTest)

class SmsSendTest : public QObject {
    Q_OBJECT
private slots:
    void send_data()
    {
        QTest::addColumn<QByteArrayList>("pdus");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        const QString extended = QStringLiteral("Cena 5€ [x] {y} ~|^\\ konec");
        const QString czech = QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy");
        QString threeParts;
        while (threeParts.size() < 400)
            threeParts += QStringLiteral("Dlouha zprava o trech castech. ");
        const QJsonArray made = gammu(QStringLiteral("submit"),
            {QJsonObject{{QStringLiteral("number"), QStringLiteral("+420602123456")}, {QStringLiteral("text"), extended}},
             QJsonObject{{QStringLiteral("number"), QStringLiteral("+420731987654")}, {QStringLiteral("text"), czech},
                         {QStringLiteral("unicode"), true}},
             QJsonObject{{QStringLiteral("number"), QStringLiteral("+420777000111")}, {QStringLiteral("text"), threeParts}}});
        auto pdus = [&made](int i) {
            QByteArrayList out;
            for (const QJsonValue &v : made[i].toArray())
                out.append(v.toString().toLatin1());
            return out;
        };
        QTest::newRow("one part, empty centre") << QByteArrayList{hello} << QStringLiteral("+420123456789") << QStringLiteral("hello");
        QTest::newRow("seven-bit with extension characters") << pdus(0) << QStringLiteral("+420602123456") << extended;
        QTest::newRow("UCS-2") << pdus(1) << QStringLiteral("+420731987654") << czech;
        QTest::newRow("three parts") << pdus(2) << QStringLiteral("+420777000111") << threeParts;
        QCOMPARE(pdus(2).size(), 3);
    }
    void send()
    {
        QFETCH(QByteArrayList, pdus);
        QFETCH(QString, number);
        QFETCH(QString, text);
        PtyPhone p;
        QVERIFY(p.ready());
        static const QRegularExpression answered(QStringLiteral("\r\n\\+CMGS: (\\d+)\r\n\r\nOK\r\n$"));
        for (const QByteArray &pdu : pdus) {
            const QByteArray reply = sendPdu(*p.modem, pdu, tpduLength(pdu));
            QVERIFY2(answered.match(QString::fromLatin1(reply)).hasMatch(), reply.constData());
        }
        const QList<phonesim::SentMessage> &sent = p.phone->sentMessages();
        QCOMPARE(sent.size(), pdus.size());
        QCOMPARE(p.phone->anomalyLog().sent().size(), pdus.size());
        QJsonArray kept;
        for (const phonesim::SentMessage &s : sent)
            kept.append(QString::fromLatin1(s.pdu));
        // gammu and the phone read each PDU alike, and as what was meant.
        const QJsonArray decoded = gammu(QStringLiteral("decode"), kept);
        QCOMPARE(decoded.size(), sent.size());
        QString joined;
        for (qsizetype i = 0; i < sent.size(); ++i) {
            const QJsonValue d = decoded[i];
            const phonesim::sms::ParsedSubmit &c = sent[i].content;
            QCOMPARE(sent[i].pdu, pdus[i]);
            QCOMPARE(str(d, "number"), number);
            QCOMPARE(c.number, number);
            QCOMPARE(c.text, str(d, "text"));
            joined += c.text;
            const bool parts = pdus.size() > 1;
            QCOMPARE(str(d, "udhType"), parts ? u"ConcatenatedMessages"_qs : u"NoUDH"_qs);
            QCOMPARE((QList<int>{c.concat.reference, c.concat.part, c.concat.parts}),
                     parts ? (QList<int>{d[u"reference"_qs].toInt(), int(i + 1), int(pdus.size())}) : (QList<int>{-1, 0, 0}));
            QCOMPARE(d[u"part"_qs].toInt(), parts ? int(i + 1) : -1);
        }
        QCOMPARE(joined, text);
        QCOMPARE(p.phone->messageStore().count(), 16); // sending stores nothing
        QVERIFY2(p.anomalies().isEmpty(), qPrintable(p.anomalies()));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("pdu");
        QTest::addColumn<int>("lengthError");
        QTest::addColumn<int>("failWith");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("anomaly");
        const QByteArray ts = "70105180030040";
        QTest::newRow("length one short") << hello << -1 << 0 << QByteArray("+CMS ERROR: 304") << QStringLiteral("TPDU of 19 octets");
        QTest::newRow("length one more") << hello << 1 << 0 << QByteArray("+CMS ERROR: 304") << QStringLiteral("TPDU of 19 octets");
        QTest::newRow("not hexadecimal") << QByteArray("0011000C9124103254769800X0AA05E8329BFD06") << 0 << 0
                                         << QByteArray("+CMS ERROR: 304") << QStringLiteral("hexadecimal");
        QTest::newRow("a received message") << QByteArray("00040C912410325476980000") + ts + "05E8329BFD06" << 0 << 0
                                            << QByteArray("+CMS ERROR: 304") << QStringLiteral("not an SMS-SUBMIT");
        QTest::newRow("user-data length too long") << QByteArray("0011000C912410325476980000AA06E8329BFD06") << 0 << 0
                                                   << QByteArray("+CMS ERROR: 304") << QStringLiteral("octets of user data");
        QTest::newRow("text ends inside an escape pair") << QByteArray("0011000C912410325476980000AA02C10D") << 0 << 0
                                                         << QByteArray("+CMS ERROR: 304") << QStringLiteral("escape pair");
        QTest::newRow("the network refuses") << hello << 0 << 330 << QByteArray("+CMS ERROR: 330") << QString();
    }
    void refused()
    {
        QFETCH(QByteArray, pdu);
        QFETCH(int, lengthError);
        QFETCH(int, failWith);
        QFETCH(QByteArray, answer);
        QFETCH(QString, anomaly);
        PtyPhone p;
        QVERIFY(p.ready());
        if (failWith)
            p.phone->controls().failNextSend(failWith);
        QVERIFY(sendPdu(*p.modem, pdu, tpduLength(pdu) + lengthError).endsWith("\r\n" + answer + "\r\n"));
        QVERIFY(p.phone->sentMessages().isEmpty());
        if (anomaly.isEmpty())
            QVERIFY2(p.anomalies().isEmpty(), qPrintable(p.anomalies()));
        else
            QVERIFY2(p.phone->anomalies().size() == 1 && p.anomalies().contains(anomaly), qPrintable(p.anomalies()));
        // Back in command mode, and a control that fired is spent.
        QVERIFY(sendPdu(*p.modem, hello, 19).endsWith("\r\nOK\r\n"));
        QCOMPARE(p.phone->sentMessages().size(), 1);
    }

    void escapeAbandons_data()
    {
        QTest::addColumn<bool>("withheld");
        QTest::newRow("after the prompt") << false;
        QTest::newRow("no prompt comes") << true;
    }
    void escapeAbandons()
    {
        QFETCH(bool, withheld);
        PtyPhone p;
        QVERIFY(p.ready());
        p.phone->controls().withholdPrompt(withheld);
        p.modem->write("AT+CMGS=19\r");
        const QByteArray before = p.modem->until([withheld](const QByteArray &r) {
            return r.endsWith(withheld ? "AT+CMGS=19\r" : "\r\n> ");
        });
        p.modem->write(withheld ? QByteArray("\x1B") : hello.left(10) + '\x1B');
        const QByteArray after = p.modem->until([](const QByteArray &r) { return r.endsWith("\r\nOK\r\n"); });
        QCOMPARE(before + after, withheld ? QByteArray("AT+CMGS=19\r\r\nOK\r\n")
                                          : QByteArray("AT+CMGS=19\r\r\n> ") + hello.left(10) + "\r\nOK\r\n");
        QVERIFY(p.phone->sentMessages().isEmpty());
        QCOMPARE(p.modem->ask("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
        QVERIFY2(p.anomalies().isEmpty(), qPrintable(p.anomalies()));
    }

    // A client that writes the PDU without waiting for "> " is served but caught.
    void pduBeforePrompt()
    {
        PtyPhone p;
        QVERIFY(p.ready());
        p.phone->controls().delayPrompt(500);
        p.modem->write("AT+CMGS=19\r" + hello + '\x1A');
        QVERIFY(p.modem->until([](const QByteArray &r) { return r.endsWith("\r\nOK\r\n"); }).contains("\r\n+CMGS: "));
        QCOMPARE(p.phone->sentMessages().size(), 1);
        QCOMPARE(p.phone->anomalies(), QStringList{QStringLiteral("modem: PDU before the prompt of AT+CMGS=19")});
    }

    // In-process, how the bytes are split decides: what came in one piece with the command line
    // came before the prompt; byte by byte, the prompt is out before the next byte comes.
    void promptSeenInPieces_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<int>("how");
        QTest::addColumn<bool>("early");
        const QList<QByteArray> apart{"AT+CMGS=19\r\n", hello + '\x1A'};
        const QList<QByteArray> together{"AT+CMGS=19\r" + hello.left(2), hello.mid(2) + '\x1A'};
        QTest::newRow("apart") << apart << int(rig::Feed::Whole) << false;
        QTest::newRow("apart, byte by byte") << apart << int(rig::Feed::ByteByByte) << false;
        QTest::newRow("with the command") << together << int(rig::Feed::Whole) << true;
        QTest::newRow("with the command, byte by byte") << together << int(rig::Feed::ByteByByte) << false;
    }
    void promptSeenInPieces()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(int, how);
        QFETCH(bool, early);
        rig::ModemRig r;
        const QList<QByteArray> answers = r.session(pieces, rig::Feed(how));
        QVERIFY(answers.first().contains("\r\n> "));
        QVERIFY(answers.last().endsWith("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
        QCOMPARE(r.anomalies.lines().size(), early ? 1 : 0);
    }

    void delayedAnswer()
    {
        PtyPhone p;
        QVERIFY(p.ready());
        p.phone->controls().delaySendAnswer(400);
        p.modem->write("AT+CMGS=19\r");
        p.modem->until([](const QByteArray &r) { return r.endsWith("\r\n> "); });
        p.modem->write(hello + '\x1A');
        p.modem->write("AT\r");
        const QByteArray reply = p.modem->until([](const QByteArray &r) { return r.contains("+CMGS") && r.endsWith("OK\r\n"); });
        QCOMPARE(reply, hello + "AT\r\r\nOK\r\n\r\n+CMGS: 1\r\n\r\nOK\r\n");
    }
};
VANDREL_TEST(SmsSendTest)

#include "tst_sms.moc"
