// The modem port driven with raw bytes: AT command mode, the way into OBEX and back, and the
// OBEX requests of the explorer and the transfer window.
#include "common/testmain.h"
#include "rig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QXmlStreamReader>

using namespace vandrel;
using rig::Feed;
using rig::hex;

namespace {

// Joins the bodies of a multi-packet GET reply and checks every packet on the way.
struct GetResult {
    QByteArray body;
    qint64 length = -1;
    int packets = 0;
    bool ok = true;
    QString problem;
};

GetResult collectGet(rig::ModemRig &r, const QByteArray &request)
{
    GetResult g;
    QByteArray reply = r.ask(request);
    for (int guard = 0; guard < 10000; ++guard) {
        if (reply.size() < 8 || (quint8(reply[1]) << 8 | quint8(reply[2])) != reply.size()
            || reply.mid(3, 5) != rig::cid) {
            g.ok = false;
            g.problem = QStringLiteral("bad packet ") + QString::fromLatin1(reply.left(16).toHex(' '));
            return g;
        }
        if (reply.size() > 0x10AA) {
            g.ok = false;
            g.problem = QStringLiteral("packet longer than announced");
        }
        ++g.packets;
        for (int i = 8; i + 2 < reply.size();) {
            const quint8 id = quint8(reply[i]);
            if (id == 0xC3) {
                g.length = qint64(quint8(reply[i + 1])) << 24 | quint8(reply[i + 2]) << 16 | quint8(reply[i + 3]) << 8
                    | quint8(reply[i + 4]);
                i += 5;
                continue;
            }
            const int len = quint8(reply[i + 1]) << 8 | quint8(reply[i + 2]);
            if (id == 0x48 || id == 0x49)
                g.body += reply.mid(i + 3, len - 3);
            i += len;
        }
        if (quint8(reply[0]) == 0xA0)
            return g;
        if (quint8(reply[0]) != 0x90) {
            g.ok = false;
            g.problem = QStringLiteral("response code ") + QString::number(quint8(reply[0]), 16);
            return g;
        }
        reply = r.ask(rig::continuation());
    }
    g.ok = false;
    return g;
}

QByteArray be32(quint32 v)
{
    return rig::be16(int(v >> 16)) + rig::be16(int(v & 0xFFFF));
}

QByteArray tmpName(const QString &name)
{
    return rig::nameHeader(QStringLiteral("~") + name + QStringLiteral(".tmp"));
}

QByteArray movePacket(const QString &folderPart, const QString &from, const QString &to)
{
    const QByteArray src = rig::utf16(folderPart + from, false);
    const QByteArray dst = rig::utf16(folderPart + to, false);
    const QByteArray params = hex("3404") + "move" + char(0x35) + char(src.size()) + src + char(0x36)
        + char(dst.size()) + dst;
    return rig::packet(0x82, rig::cid + char(0x4C) + rig::be16(int(params.size() + 3)) + params);
}

QByteArray memoryQuery(const QString &folder, int code)
{
    const QByteArray name = rig::utf16(QStringLiteral("\\") + folder);
    const QByteArray value = char(code) + QByteArray(1, char(name.size())) + name;
    const QByteArray param = char(0x32) + QByteArray(1, char(value.size())) + value;
    return rig::packet(0x83, rig::cid + char(0x4C) + rig::be16(int(param.size() + 3)) + param);
}

} // namespace

class ModemAtTest : public QObject {
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");
        const struct {
            const char *name;
            QByteArray command;
            QByteArray answer;
        } rows[] = {
            {"echo on", "ATE1\r", "ATE1\r\r\nOK\r\n"},
            {"manufacturer", "AT+CGMI\r", "AT+CGMI\r\r\nVandrel Mobile\r\n\r\nOK\r\n"},
            {"model", "AT+CGMM\r", "AT+CGMM\r\r\nVM-3210\r\n\r\nOK\r\n"},
            {"revision", "AT+CGMR\r", "AT+CGMR\r\r\nVM3210_R1.07.2\r\n\r\nOK\r\n"},
            {"serial", "AT+CGSN\r", "AT+CGSN\r\r\n356938035643809\r\n\r\nOK\r\n"},
            {"battery", "AT+CBC\r", "AT+CBC\r\r\n+CBC: 0,82\r\n\r\nOK\r\n"},
            {"signal", "AT+CSQ\r", "AT+CSQ\r\r\n+CSQ: 22,99\r\n\r\nOK\r\n"},
            {"operator", "AT+COPS?\r", "AT+COPS?\r\r\n+COPS: 0,0,\"Demo Net\"\r\n\r\nOK\r\n"},
            {"subscriber", "AT+CIMI\r", "AT+CIMI\r\r\n230019876543210\r\n\r\nOK\r\n"},
            {"card", "AT^SCID\r", "AT^SCID\r\r\n^SCID: 89420012345678901234\r\n\r\nOK\r\n"},
            {"notices", "AT+CNMI=1,1,0,2\r", "AT+CNMI=1,1,0,2\r\r\nOK\r\n"},
            {"leave obex", "AT^SQWE=0\r", "AT^SQWE=0\r\r\nOK\r\n"},
            {"escape glued to command", "+++AT^SQWE=0\r", "+++AT^SQWE=0\r\r\nOK\r\n"},
            {"switch off", "AT^SMSO\r", "AT^SMSO\r\r\n^SMSO: MS OFF\r\n\r\nOK\r\n"},
            {"text mode refused", "AT+CMGF=1\r", "AT+CMGF=1\r\r\nERROR\r\n"},
            {"pdu mode", "AT+CMGF=0\r", "AT+CMGF=0\r\r\nOK\r\n"},
            {"service centre", "at+csca=\"+420603052000\"\r", "at+csca=\"+420603052000\"\r\r\nOK\r\n"},
            {"unknown", "AT+XYZ\r", "AT+XYZ\r\r\nERROR\r\n"},
            {"lower case", "at+cgmi\r", "at+cgmi\r\r\nVandrel Mobile\r\n\r\nOK\r\n"},
            {"lf after cr", "AT\r\n", "AT\r\r\nOK\r\n"},
        };
        for (const auto &row : rows) {
            for (Feed how : {Feed::Whole, Feed::ByteByByte, Feed::Trailing})
                QTest::newRow(QByteArray(row.name).append(" ").append(QByteArray::number(int(how))).constData())
                    << int(how) << row.command << row.answer;
        }
    }
    void commands()
    {
        QFETCH(int, how);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        rig::ModemRig r;
        const auto answers = r.session({command, "AT\r"}, Feed(how));
        QCOMPARE(answers.at(0), answer);
        QCOMPARE(answers.at(1), QByteArray("AT\r\r\nOK\r\n"));
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void echoOff()
    {
        rig::ModemRig r;
        QCOMPARE(r.ask("ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n"));
        QCOMPARE(r.ask("AT+CSQ\r"), QByteArray("\r\n+CSQ: 22,99\r\n\r\nOK\r\n"));
        QCOMPARE(r.ask("ATE1\r"), QByteArray("\r\nOK\r\n"));
        QCOMPARE(r.ask("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    }

    void switchOffIsCounted()
    {
        rig::ModemRig r;
        r.ask("AT^SMSO\r");
        QCOMPARE(r.port->switchOffs(), 1);
    }
};
VANDREL_TEST(ModemAtTest)

class ObexSessionTest : public QObject {
    Q_OBJECT
private slots:
    void connectSequence_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QByteArray>("id");
        for (const char *id : {"024E804C", "024C511C", "024C510C", "02462A9F"}) {
            for (Feed how : {Feed::Whole, Feed::ByteByByte, Feed::Trailing})
                QTest::newRow(QByteArray(id).append(" ").append(QByteArray::number(int(how))).constData())
                    << int(how) << QByteArray::fromHex(id);
        }
    }
    // The explorer's way in: echo, leave OBEX, enter OBEX, connect (with CR), listing (with CR).
    void connectSequence()
    {
        QFETCH(int, how);
        QFETCH(QByteArray, id);
        rig::ModemRig r;
        r.port->obex().setConnectionId(id);
        const auto a = r.session({"ATE1\r", "+++", "AT^SQWE=0\r", "AT^SQWE=3\r", rig::connectRequest() + '\r',
                                  rig::listingRequest() + '\r', "+++", "AT\r"},
                                 Feed(how));
        QCOMPARE(a.at(0), QByteArray("ATE1\r\r\nOK\r\n"));
        QCOMPARE(a.at(1), QByteArray());
        QCOMPARE(a.at(2), QByteArray("+++AT^SQWE=0\r\r\nOK\r\n")); // echoed as received
        QCOMPARE(a.at(3), QByteArray("AT^SQWE=3\r\r\nOK\r\n"));
        QCOMPARE(a.at(4), hex("A0001F100010AACB") + id + hex("4A0013") + rig::uuid);
        QCOMPARE(a.at(4).size(), 31);
        const QByteArray listing = a.at(5);
        QCOMPARE(quint8(listing[0]), quint8(0xA0));
        QCOMPARE(listing.mid(3, 5), char(0xCB) + id);
        QVERIFY(listing.contains("<folder name=\"mmc\" modified=\"20050301T120000\""));
        QVERIFY(listing.contains("<folder name=\"user\""));
        QVERIFY(listing.endsWith("</folder-listing>\n"));
        QCOMPARE(a.at(6), QByteArray()); // "+++" at a packet boundary: command mode at once
        QCOMPARE(a.at(7), QByteArray("AT\r\r\nOK\r\n"));
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void pathWalk_data()
    {
        QTest::addColumn<int>("how");
        rig::addFeedRows("walk");
    }
    void pathWalk()
    {
        QFETCH(int, how);
        rig::ModemRig r;
        r.enterObex();
        const QByteArray ok = rig::success();
        const QByteArray notFound = hex("C40008CB024E804C");
        const auto a = r.session({rig::setPath(QStringLiteral("mmc")), rig::setPath(QStringLiteral("Obrázky")),
                                  rig::setPath(QStringLiteral("chybí")), rig::setPath(QStringLiteral("Nová"), 0x00),
                                  hex("85000A0300CB024E804C"), hex("85000A0300CB024E804C"),
                                  rig::setPath(QStringLiteral("nic"))},
                                 Feed(how));
        QCOMPARE(a.at(0), ok);
        QCOMPARE(a.at(1), ok);
        QCOMPARE(a.at(2), notFound);                  // missing folder, do not create
        QCOMPARE(a.at(3), ok);                        // created and entered
        QVERIFY(QFileInfo(r.obex(QStringLiteral("mmc/Obrázky/Nová"))).isDir());
        QCOMPARE(a.at(4), ok);                        // up to Obrázky
        QCOMPARE(a.at(5), ok);                        // up to mmc
        QCOMPARE(a.at(6), notFound);
        QCOMPARE(r.port->obex().currentPath(), QStringList{QStringLiteral("mmc")});
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    // The walk's first set-path (into mmc) carries these exact bytes.
    void walkBytesFromExample()
    {
        rig::ModemRig r;
        r.enterObex();
        QCOMPARE(r.ask(hex("85001502 00CB024E804C01000B006D006D00630000")), rig::success());
        QVERIFY(r.anomalies.lines().isEmpty());
    }

    void rootHoldsOnlyTheMemories()
    {
        rig::ModemRig r;
        r.enterObex();
        QCOMPARE(r.ask(rig::setPath(QStringLiteral("etc"), 0x00)), hex("C30008CB024E804C"));
        QVERIFY(!QFileInfo::exists(r.obex(QStringLiteral("etc"))));
    }

    void multiPacketListing()
    {
        rig::ModemRig r;
        r.enterObex();
        for (const char *name : {"mmc", "Hudba", "Velká sbírka"})
            QCOMPARE(r.ask(rig::setPath(QString::fromUtf8(name))), rig::success());
        const GetResult g = collectGet(r, rig::listingRequest() + '\r');
        QVERIFY2(g.ok, qPrintable(g.problem));
        QVERIFY2(g.packets >= 3, "the seeded big folder needs several packets");
        QXmlStreamReader xml(g.body);
        int files = 0;
        QStringList names;
        bool parent = false;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("parent-folder"))
                parent = true;
            if (xml.name() == QLatin1String("file")) {
                ++files;
                names.append(xml.attributes().value(QLatin1String("name")).toString());
                QVERIFY(!xml.attributes().value(QLatin1String("size")).isEmpty());
                QCOMPARE(xml.attributes().value(QLatin1String("modified")).size(), 15);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(parent);
        QCOMPARE(files, 150);
        QVERIFY(names.contains(QStringLiteral("Skladba č. 042 – Tom & Jerry.mp3")));
        QVERIFY(g.body.contains("Tom &amp; Jerry"));
        // Past the end the phone answers with the empty End-of-Body.
        QCOMPARE(r.ask(rig::continuation()), hex("A0000BCB024E804C490003"));
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void listingEscapesAndPermissions()
    {
        rig::ModemRig r;
        r.enterObex();
        r.ask(rig::setPath(QStringLiteral("user")));
        const GetResult g = collectGet(r, rig::listingRequest() + '\r');
        QVERIFY(g.ok);
        const QString text = QString::fromUtf8(g.body);
        QVERIFY(text.contains(QStringLiteral("<file name=\"systém.cfg\" size=\"10\"")));
        QVERIFY(text.contains(QStringLiteral("user-perm=\"R\"")));
        QVERIFY(text.contains(QStringLiteral("<folder name=\"Dokumenty\"")));
        r.ask("+++");
        r.ask("AT^SQWE=3\r");
        r.ask(rig::connectRequest() + '\r');
        for (const char *name : {"mmc", "Obrázky"})
            r.ask(rig::setPath(QString::fromUtf8(name)));
        const GetResult pictures = collectGet(r, rig::listingRequest() + '\r');
        QVERIFY(pictures.body.contains("<file name=\"Dovolená &amp; hory.jpg\" size=\"18004\" modified=\"20050307T090501\""));
        QVERIFY(pictures.body.contains("&lt;prázdný&gt;.gif"));
    }

    void memoryQueries_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("code");
        QTest::newRow("mmc free") << QStringLiteral("mmc") << 2;
        QTest::newRow("mmc total") << QStringLiteral("mmc") << 1;
        QTest::newRow("user free") << QStringLiteral("user") << 2;
        QTest::newRow("user total") << QStringLiteral("user") << 1;
    }
    void memoryQueries()
    {
        QFETCH(QString, folder);
        QFETCH(int, code);
        rig::ModemRig r;
        phonesim::ObexServer::Capacity cap;
        cap.mmc = 50'000'000;
        cap.user = 3'000'000;
        r.port->obex().setCapacity(cap);
        r.enterObex();
        r.ask(rig::setPath(folder));
        const QByteArray reply = r.ask(memoryQuery(folder, code));
        QCOMPARE(reply.size(), 17);
        QCOMPARE(reply.left(8), rig::success().replace(2, 1, "\x11"));
        const quint32 size = quint32(quint8(reply[13])) << 24 | quint8(reply[14]) << 16 | quint8(reply[15]) << 8
            | quint8(reply[16]);
        const qint64 capacity = folder == QLatin1String("mmc") ? cap.mmc : cap.user;
        if (code == 1) {
            QCOMPARE(qint64(size), capacity);
        } else {
            QVERIFY(qint64(size) < capacity);
            QCOMPARE(qint64(size), r.port->obex().freeBytes(folder));
        }
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    // The exact query bytes for "\mmc" code 2.
    void memoryQueryExactBytes()
    {
        rig::ModemRig r;
        r.enterObex();
        r.ask(rig::setPath(QStringLiteral("mmc")));
        const QByteArray reply = r.ask(hex("830019CB024E804C4C001132 0C020A005C006D006D00630000"));
        QCOMPARE(reply.size(), 17);
        QCOMPARE(quint8(reply[0]), quint8(0xA0));
        QVERIFY(r.anomalies.lines().isEmpty());
    }

    void deleteAnswers_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("gone");
        QTest::newRow("success") << QStringLiteral("user") << QStringLiteral("Poznámky.txt") << rig::success() << true;
        QTest::newRow("folder") << QStringLiteral("user") << QStringLiteral("Dokumenty") << rig::success() << true;
        QTest::newRow("forbidden") << QStringLiteral("user") << QStringLiteral("systém.cfg")
                                   << hex("C30008CB024E804C") << false;
        QTest::newRow("not found") << QStringLiteral("mmc") << QStringLiteral("nic.txt") << hex("C40008CB024E804C")
                                   << false;
    }
    void deleteAnswers()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QByteArray, answer);
        QFETCH(bool, gone);
        rig::ModemRig r;
        r.enterObex();
        r.ask(rig::setPath(folder));
        const bool existed = QFileInfo::exists(r.obex(folder + u'/' + name));
        // 82, length, Connection-Id, Name: a final PUT without body.
        QCOMPARE(r.ask(rig::packet(0x82, rig::cid + rig::nameHeader(name))), answer);
        QCOMPARE(QFileInfo::exists(r.obex(folder + u'/' + name)), existed && !gone);
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void uploadAttributesMoveDownload_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("how");
        for (int size : {0, 1, 4096, 4097, 20000}) {
            for (Feed how : {Feed::Whole, Feed::ByteByByte, Feed::Trailing})
                QTest::newRow(QByteArray::number(size).append(" ").append(QByteArray::number(int(how))).constData())
                    << size << int(how);
        }
    }
    // The transfer window's upload: "~name.tmp" in 4096-byte packets, attributes, move into
    // place; then the file read back in the phone's download layout.
    void uploadAttributesMoveDownload()
    {
        QFETCH(int, size);
        QFETCH(int, how);
        rig::ModemRig r;
        r.enterObex();
        r.ask(rig::setPath(QStringLiteral("mmc")));
        r.ask(rig::setPath(QStringLiteral("Zvuky")));
        QByteArray data(size, '\0');
        for (int i = 0; i < size; ++i)
            data[i] = char((i * 7 + i / 256) & 0xFF);
        const QString name = QStringLiteral("nový & zvuk.bin");
        QList<QByteArray> requests;
        QList<QByteArray> expected;
        for (qsizetype at = 0; at == 0 || at < data.size(); at += 4096) {
            const QByteArray chunk = data.mid(at, 4096);
            const bool last = at + 4096 >= data.size();
            QByteArray headers = rig::cid;
            if (at == 0)
                headers += tmpName(name) + char(0xC3) + be32(quint32(size)) + hex("440012") + "20050307T090501";
            headers += char(last ? 0x49 : 0x48) + rig::be16(int(chunk.size() + 3)) + chunk;
            requests.append(rig::packet(last ? 0x82 : 0x02, headers));
            expected.append(last ? rig::success() : hex("90 0008CB024E804C"));
        }
        const QByteArray attrs = hex("4C000D3808") + QByteArray("\"RWD\"\"R\"");
        requests.append(rig::packet(0x82, rig::cid + tmpName(name) + attrs));
        expected.append(rig::success());
        requests.append(movePacket(QStringLiteral("/mmc/Zvuky/"), QStringLiteral("~") + name + QStringLiteral(".tmp"),
                                   name));
        expected.append(rig::success());
        QCOMPARE(r.session(requests, Feed(how)), expected);
        QVERIFY(!QFileInfo::exists(r.obex(QStringLiteral("mmc/Zvuky/~") + name + QStringLiteral(".tmp"))));
        QFile stored(r.obex(QStringLiteral("mmc/Zvuky/") + name));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), data);
        QCOMPARE(QFileInfo(stored).lastModified().toString(QStringLiteral("yyyyMMddHHmmss")),
                 QStringLiteral("20050307090501"));

        const GetResult g = collectGet(r, rig::packet(0x83, rig::cid + rig::nameHeader(name)));
        QVERIFY2(g.ok, qPrintable(g.problem));
        QCOMPARE(g.length, qint64(size));
        QCOMPARE(g.body, data);
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    // The first download packet: Length right after the Connection-Id, then a Body header.
    void downloadLayout()
    {
        rig::ModemRig r;
        r.enterObex();
        r.ask(rig::setPath(QStringLiteral("user")));
        const QByteArray first = r.ask(rig::packet(0x83, rig::cid + rig::nameHeader(QStringLiteral("systém.cfg"))));
        QCOMPARE(first, hex("90001ACB024E804CC30000000A48000D") + QByteArray("locked=1\r\n"));
        QCOMPARE(r.ask(rig::continuation()), hex("A0000BCB024E804C490003"));
        QCOMPARE(r.ask(rig::packet(0x83, rig::cid + rig::nameHeader(QStringLiteral("nic")))),
                 hex("C40008CB024E804C"));
    }

    void moveRefusals()
    {
        rig::ModemRig r;
        r.enterObex();
        r.ask(rig::setPath(QStringLiteral("user")));
        QCOMPARE(r.ask(movePacket(QStringLiteral("/user/"), QStringLiteral("nic"), QStringLiteral("neco"))),
                 hex("C40008CB024E804C"));
        QCOMPARE(r.ask(movePacket(QStringLiteral("/user/"), QStringLiteral("Poznámky.txt"), QStringLiteral("systém.cfg"))),
                 hex("C30008CB024E804C"));
        QCOMPARE(r.ask(movePacket(QStringLiteral("/user/"), QStringLiteral("Poznámky.txt"), QStringLiteral("../x"))),
                 hex("C30008CB024E804C"));
        QVERIFY(QFileInfo::exists(r.obex(QStringLiteral("user/Poznámky.txt"))));
    }
};
VANDREL_TEST(ObexSessionTest)

class ObexAnomalyTest : public QObject {
    Q_OBJECT
private slots:
    void anomalies_data()
    {
        QTest::addColumn<QList<QByteArray>>("requests");
        QTest::addColumn<QString>("expected");
        const QByteArray connect = rig::connectRequest() + '\r';
        QTest::newRow("wrong connection id")
            << QList<QByteArray>{connect, hex("85001502 00CB024C511C01000B006D006D00630000")}
            << QStringLiteral("wrong connection id");
        QTest::newRow("missing CR after connect")
            << QList<QByteArray>{rig::connectRequest(), rig::setPath(QStringLiteral("mmc"))}
            << QStringLiteral("missing CR after obex connect");
        QTest::newRow("CR after set-path")
            << QList<QByteArray>{connect, rig::setPath(QStringLiteral("mmc")) + '\r'}
            << QStringLiteral("CR after obex setpath");
        QTest::newRow("unknown opcode") << QList<QByteArray>{connect, hex("41540D")} << QStringLiteral("unknown OBEX opcode");
        QTest::newRow("name length off by one")
            << QList<QByteArray>{connect, hex("85001502 00CB024E804C01000C006D006D00630000")}
            << QStringLiteral("wrong length field");
        QTest::newRow("length field too small") << QList<QByteArray>{connect, hex("830002")}
                                                << QStringLiteral("OBEX length field 2");
        QTest::newRow("no connect") << QList<QByteArray>{rig::setPath(QStringLiteral("mmc"))}
                                    << QStringLiteral("before OBEX connect");
        QTest::newRow("unsafe name") << QList<QByteArray>{connect, rig::setPath(QStringLiteral(".."))}
                                     << QStringLiteral("unsafe name");
    }
    void anomalies()
    {
        QFETCH(QList<QByteArray>, requests);
        QFETCH(QString, expected);
        rig::ModemRig r;
        r.ask("AT^SQWE=3\r");
        for (const auto &q : requests)
            r.ask(q);
        QVERIFY2(r.anomalies.lines().join(u'\n').contains(expected), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void commandModeGarbageIsNoted()
    {
        rig::ModemRig r;
        QCOMPARE(r.ask(rig::connectRequest() + '\r'), QByteArray());
        QVERIFY(!r.anomalies.lines().isEmpty());
    }

    // Seeded random bytes and cut packets must never crash the port or leave it unusable.
    void survivesRandomInput()
    {
        rig::ModemRig r;
        for (quint32 seed = 1; seed <= 200; ++seed) {
            QRandomGenerator rng(seed);
            if (seed % 2)
                r.ask("AT^SQWE=3\r");
            QByteArray junk(int(rng.bounded(1, 600)), '\0');
            for (auto &c : junk)
                c = char(rng.bounded(256));
            if (seed % 3 == 0)
                junk = rig::listingRequest().left(int(rng.bounded(1, 33))) + junk;
            r.ask(junk);
            r.ask("+++");
            r.ask("\r\r");
            r.port->reset();
            QCOMPARE(r.ask("AT\r"), QByteArray("AT\r\r\nOK\r\n"));
        }
    }
};
VANDREL_TEST(ObexAnomalyTest)

#include "tst_modem.moc"
