// The virtual phone in-process and on pseudo-terminals, with its test controls.
#include "common/testmain.h"
#include "rig.h"

#include <link/qserialchannel.h>
#include <phone-sim/virtualphone.h>

#include <QSignalSpy>

using namespace vandrel;
using phonesim::Controls;
using rig::hex;

namespace {

// The client's end of one port: what arrived, and in how many pieces.
class Wire : public QObject {
public:
    explicit Wire(link::SerialChannel *ch) : channel(ch)
    {
        if (!ch->isOpen())
            ch->open();
        connect(ch, &link::SerialChannel::readyRead, this, [this] {
            const QByteArray b = channel->readAll();
            if (!b.isEmpty()) {
                received += b;
                ++pieces;
            }
        });
    }
    bool waitFor(const std::function<bool()> &done) { return QTest::qWaitFor(done, 10000); }
    // Sends and waits until the reply is complete by its content.
    QByteArray askAt(const QByteArray &line)
    {
        received.clear();
        channel->write(line);
        waitFor([this] { return received.endsWith("OK\r\n") || received.endsWith("ERROR\r\n"); });
        return std::exchange(received, {});
    }
    QByteArray askObex(const QByteArray &packet)
    {
        received.clear();
        channel->write(packet);
        waitFor([this] {
            return received.size() >= 3 && received.size() >= (quint8(received[1]) << 8 | quint8(received[2]));
        });
        return std::exchange(received, {});
    }
    QByteArray askDiag(const QByteArray &payload)
    {
        received.clear();
        channel->write(rig::frame(payload));
        waitFor([this] { return received.endsWith('\x7E'); });
        const auto p = rig::payloads(std::exchange(received, {}));
        return p.value(0);
    }

    link::SerialChannel *channel;
    QByteArray received;
    int pieces = 0;
};

// One explorer listing of a big folder and one BREW listing step, each reply whole.
QList<QByteArray> script(Wire &modem, Wire &diag)
{
    QList<QByteArray> replies;
    for (const QByteArray &line : {QByteArray("ATE1\r"), QByteArray("+++AT^SQWE=0\r"), QByteArray("AT^SQWE=3\r")})
        replies.append(modem.askAt(line));
    replies.append(modem.askObex(rig::connectRequest() + '\r'));
    for (const char *name : {"mmc", "Hudba", "Velká sbírka"})
        replies.append(modem.askObex(rig::setPath(QString::fromUtf8(name))));
    QByteArray reply = modem.askObex(rig::listingRequest() + '\r');
    replies.append(reply);
    while (!reply.isEmpty() && quint8(reply[0]) == 0x90) {
        reply = modem.askObex(rig::continuation());
        replies.append(reply);
    }
    modem.channel->write("+++");
    replies.append(modem.askAt("AT+CGMI\r"));
    for (int seq = 0; seq < 3; ++seq)
        replies.append(diag.askDiag(hex("590B") + rig::le32(quint32(seq)) + rig::nameField("brew/mod/game")));
    replies.append(diag.askDiag(hex("590400") + rig::nameField("brew/mod/game/game.mif")));
    replies.append(diag.askDiag(hex("590401")));
    return replies;
}

struct InProcess {
    InProcess() : phone(dir.path() + QStringLiteral("/phone"))
    {
        ends = phone.plugInProcess(&owner);
        modem = std::make_unique<Wire>(ends.modem);
        diag = std::make_unique<Wire>(ends.diag);
    }
    QTemporaryDir dir{rig::scratchTemplate()};
    QObject owner;
    phonesim::VirtualPhone phone;
    phonesim::VirtualPhone::ClientEnds ends;
    std::unique_ptr<Wire> modem;
    std::unique_ptr<Wire> diag;
};

} // namespace

class PhoneControlsTest : public QObject {
    Q_OBJECT
private slots:
    void splittingKeepsTheBytes_data()
    {
        QTest::addColumn<int>("mode"); // 0 whole, 1 random, 2 byte by byte
        QTest::addColumn<quint32>("seed");
        QTest::newRow("random 1") << 1 << 1u;
        QTest::newRow("random 2") << 1 << 2u;
        QTest::newRow("random 77") << 1 << 77u;
        QTest::newRow("bytes") << 2 << 0u;
    }
    void splittingKeepsTheBytes()
    {
        QFETCH(int, mode);
        QFETCH(quint32, seed);
        InProcess whole;
        const QList<QByteArray> reference = script(*whole.modem, *whole.diag);
        QVERIFY(reference.size() > 10);
        InProcess split;
        if (mode == 1)
            split.phone.controls().splitRandomly(seed);
        else
            split.phone.controls().splitByteByByte();
        const QList<QByteArray> got = script(*split.modem, *split.diag);
        QCOMPARE(got, reference);
        // The pieces really were smaller than the replies.
        QVERIFY(split.modem->pieces > 3 * whole.modem->pieces);
        QVERIFY(split.diag->pieces > whole.diag->pieces);
        QVERIFY2(split.phone.anomalies().isEmpty(), qPrintable(split.phone.anomalies().join(u'\n')));
    }

    // A delayed modem reply comes after a prompt diagnostic one sent later.
    void delay()
    {
        InProcess p;
        p.phone.controls().delayReplies(300, Controls::Modem);
        p.modem->channel->write("AT\r");
        QCOMPARE(p.diag->askDiag(hex("590C01")).left(3), hex("590C00"));
        QVERIFY(p.modem->received.isEmpty());
        QVERIFY(p.modem->waitFor([&] { return p.modem->received.endsWith("OK\r\n"); }));
        QCOMPARE(p.modem->received, QByteArray("AT\r\r\nOK\r\n"));
    }

    void throttle()
    {
        InProcess p;
        p.phone.controls().throttleToLineRate(115200, Controls::Modem);
        p.modem->askAt("AT^SQWE=3\r");
        p.modem->askObex(rig::connectRequest() + '\r');
        p.modem->askObex(rig::setPath(QStringLiteral("mmc")));
        p.modem->askObex(rig::setPath(QStringLiteral("Hudba")));
        p.modem->askObex(rig::setPath(QStringLiteral("Velká sbírka")));
        const int before = p.modem->pieces;
        const QByteArray first = p.modem->askObex(rig::listingRequest() + '\r');
        QCOMPARE(quint8(first[0]), quint8(0x90));
        QVERIFY(p.modem->pieces - before >= first.size() / 64);
    }

    void dropLinkAfter_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::newRow("1") << 1;
        QTest::newRow("5") << 5;
        QTest::newRow("whole reply") << 9;
    }
    void dropLinkAfter()
    {
        QFETCH(int, bytes);
        InProcess p;
        QSignalSpy lost(p.ends.modem, &link::SerialChannel::linkLost);
        QSignalSpy dropped(&p.phone, &phonesim::VirtualPhone::linkDropped);
        p.phone.controls().dropLinkAfter(bytes, Controls::Modem);
        p.modem->channel->write("AT\r");
        QVERIFY(lost.wait(10000) || lost.count() == 1);
        QCOMPARE(p.modem->received, QByteArray("AT\r\r\nOK\r\n").left(bytes));
        QVERIFY(!p.ends.modem->isOpen());
        QCOMPARE(dropped.count(), 1);
        // The other port stays up.
        QCOMPARE(p.diag->askDiag(hex("590C01")).left(3), hex("590C00"));
        // A new cable works from the start.
        QObject owner;
        const auto again = p.phone.plugInProcess(&owner);
        Wire modem(again.modem);
        QCOMPARE(modem.askAt("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    }

    void dropDiagLink()
    {
        InProcess p;
        QSignalSpy lost(p.ends.diag, &link::SerialChannel::linkLost);
        p.phone.controls().dropLinkAfter(4, Controls::Diag);
        p.diag->channel->write(rig::frame(hex("290400")));
        QVERIFY(lost.wait(10000) || lost.count() == 1);
        QCOMPARE(p.diag->received, rig::frame(hex("290400")).left(4));
        QCOMPARE(p.modem->askAt("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    }

    void silentAfter()
    {
        InProcess p;
        p.phone.controls().goSilentAfter(12, Controls::Modem);
        p.modem->channel->write("AT+CSQ\r");
        p.diag->askDiag(hex("590C01")); // the modem request has been handled by now
        QVERIFY(p.modem->waitFor([&] { return p.modem->received.size() >= 12; }));
        p.modem->channel->write("AT\r");
        p.diag->askDiag(hex("590C01"));
        QCOMPARE(p.modem->received, QByteArray("AT+CSQ\r\r\n+CSQ: 22,99\r\n\r\nOK\r\n").left(12));
        QVERIFY(p.ends.modem->isOpen());
        p.phone.controls().speakAgain();
        QCOMPARE(p.modem->askAt("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    }

    void silentAt_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("answered"); // requests of the sequence answered before silence
        QTest::newRow("AT command") << QStringLiteral("AT^SQWE=3") << 1;
        QTest::newRow("connect") << QStringLiteral("obex connect") << 2;
        QTest::newRow("set-path") << QStringLiteral("obex setpath") << 3;
        QTest::newRow("listing") << QStringLiteral("obex listing") << 4;
    }
    void silentAt()
    {
        QFETCH(QString, request);
        QFETCH(int, answered);
        InProcess p;
        p.phone.controls().goSilentAt(request);
        const QList<QByteArray> requests{"ATE1\r", "AT^SQWE=3\r", rig::connectRequest() + '\r',
                                         rig::setPath(QStringLiteral("mmc")), rig::listingRequest() + '\r'};
        int got = 0;
        for (const QByteArray &r : requests) {
            p.modem->received.clear();
            p.modem->channel->write(r);
            p.diag->askDiag(hex("590C01"));
            if (!p.modem->received.isEmpty())
                ++got;
        }
        QCOMPARE(got, answered);
        QVERIFY(p.ends.modem->isOpen());
    }

    void errorAnswer()
    {
        InProcess p;
        p.phone.controls().answerErrorTo(QStringLiteral("at+cgmi"));
        QCOMPARE(p.modem->askAt("AT+CGMI\r"), QByteArray("AT+CGMI\r\r\nERROR\r\n"));
        QCOMPARE(p.modem->askAt("AT+CGMM\r"), QByteArray("AT+CGMM\r\r\nVM-3210\r\n\r\nOK\r\n"));
        p.phone.controls().clearErrorAnswers();
        QCOMPARE(p.modem->askAt("AT+CGMI\r"), QByteArray("AT+CGMI\r\r\nVandrel Mobile\r\n\r\nOK\r\n"));
    }

    void unsolicitedLine()
    {
        InProcess p;
        p.phone.sendUnsolicited("+CMTI: \"SM\",3");
        QVERIFY(p.modem->waitFor([&] { return p.modem->received.endsWith("\r\n") && p.modem->received.size() > 4; }));
        QCOMPARE(p.modem->received, QByteArray("\r\n+CMTI: \"SM\",3\r\n"));
    }

    void anomalyLogSeesBrokenRequests()
    {
        InProcess p;
        p.modem->askAt("AT^SQWE=3\r");
        p.modem->askObex(rig::connectRequest()); // no CR
        p.modem->askObex(rig::setPath(QStringLiteral("mmc")));
        QVERIFY(p.phone.anomalies().join(u'\n').contains(QStringLiteral("missing CR")));
        p.phone.clearAnomalies();
        QVERIFY(p.phone.anomalies().isEmpty());
    }
};
VANDREL_TEST(PhoneControlsTest)

class PhonePtyTest : public QObject {
    Q_OBJECT
private slots:
    void servesLinksAndHangsUp()
    {
        QTemporaryDir dir;
        phonesim::VirtualPhone phone(dir.filePath(QStringLiteral("phone")));
        const QString modemLink = dir.filePath(QStringLiteral("modem"));
        const QString diagLink = dir.filePath(QStringLiteral("diag"));
        QString error;
        QVERIFY2(phone.servePtys(modemLink, diagLink, &error, 50), qPrintable(error));
        QVERIFY(QFileInfo(modemLink).isSymLink());
        QVERIFY(QFileInfo(diagLink).isSymLink());

        link::QSerialChannel modem(65534);
        modem.setPortName(modemLink);
        modem.setBaudRate(115200);
        const auto openError = modem.open();
        QVERIFY2(!openError, qPrintable(openError.message));
        Wire wire(&modem);
        QCOMPARE(wire.askAt("ATE1\r"), QByteArray("ATE1\r\r\nOK\r\n"));
        // Raw mode: a CR LF pair in a binary packet passes untouched.
        QCOMPARE(wire.askAt("AT^SQWE=3\r"), QByteArray("AT^SQWE=3\r\r\nOK\r\n"));
        QCOMPARE(wire.askObex(rig::connectRequest() + '\r').size(), 31);

        link::QSerialChannel diag(4096);
        diag.setPortName(diagLink);
        QVERIFY(!diag.open());
        Wire diagWire(&diag);
        QCOMPARE(diagWire.askDiag(hex("290400")), hex("290400"));

        QSignalSpy lost(&modem, &link::SerialChannel::linkLost);
        phone.controls().dropLinkAfter(2, Controls::Modem);
        modem.write("+++");
        modem.write("AT\r");
        QVERIFY(lost.count() == 1 || lost.wait(10000));
        QVERIFY(!modem.isOpen());

        // Plugged in again: a new pseudo-terminal behind the same link.
        QVERIFY(QTest::qWaitFor([&] { return !modem.open(); }, 10000));
        QCOMPARE(wire.askAt("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
        QVERIFY2(phone.anomalies().isEmpty(), qPrintable(phone.anomalies().join(u'\n')));
    }
};
VANDREL_TEST(PhonePtyTest)

#include "tst_controls.moc"
