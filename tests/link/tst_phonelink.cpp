#include "common/testmain.h"

#include <channel/fakeserialchannel.h>
#include <link/paths.h>
#include <link/phonelink.h>
#include <link/replyreader.h>

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel::link;
using vandrel::channel::FakeSerialChannel;
using namespace std::chrono_literals;

namespace {

struct Rig {
    FakeSerialChannel *modem = new FakeSerialChannel;
    FakeSerialChannel *diag = new FakeSerialChannel;
    PhoneLink link{modem, diag};
    Rig() { link.timing().escapePause = 1ms; }
};

// Runs a coroutine to its end on the event loop.
template <class T>
T finish(QCoro::Task<T> task)
{
    return QCoro::waitFor(std::move(task));
}

// Complete AT replies end with a final result code line.
qsizetype atReply(const QByteArray &b)
{
    for (const char *final : {"\r\nOK\r\n", "\r\nERROR\r\n"}) {
        const qsizetype at = b.indexOf(final);
        if (at >= 0)
            return at + qsizetype(qstrlen(final));
    }
    return 0;
}

} // namespace

class PhoneLinkTest : public QObject {
    Q_OBJECT
private slots:
    void sendCommandEscapesOnlyLeavingObex_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("cr");
        QTest::addColumn<QList<QByteArray>>("wire");
        QTest::newRow("leave obex") << QByteArray("AT^SQWE=0") << true
                                    << QList<QByteArray>{"+++", "AT^SQWE=0\r"};
        QTest::newRow("enter obex") << QByteArray("AT^SQWE=3") << true << QList<QByteArray>{"AT^SQWE=3\r"};
        QTest::newRow("longer text") << QByteArray("AT^SQWE=0;") << true << QList<QByteArray>{"AT^SQWE=0;\r"};
        QTest::newRow("packet, no cr") << QByteArray("\x80\x00\x07", 3) << false
                                       << QList<QByteArray>{QByteArray("\x80\x00\x07", 3)};
        QTest::newRow("empty") << QByteArray() << true << QList<QByteArray>{};
    }
    void sendCommandEscapesOnlyLeavingObex()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, cr);
        QFETCH(QList<QByteArray>, wire);
        Rig rig;
        QVERIFY(!rig.modem->open());
        const Outcome o = finish(rig.link.sendCommand(text, cr));
        QVERIFY(o.ok());
        QCOMPARE(rig.modem->writes(), wire);
    }

    void closedPortWritesNothing()
    {
        Rig rig;
        QSignalSpy fatal(&rig.link, &PhoneLink::fatalError);
        const Outcome o = finish(rig.link.sendCommand(QByteArrayLiteral("AT^SQWE=0"), true));
        QVERIFY(o.ok());
        QVERIFY(rig.modem->writes().isEmpty());
        QCOMPARE(fatal.count(), 0);
    }

    void writeFailuresAreLinkFailures_data()
    {
        QTest::addColumn<bool>("block");
        QTest::addColumn<QString>("detail");
        QTest::newRow("string") << false << QStringLiteral("Chyba pri posilani stringu!");
        QTest::newRow("block") << true << QStringLiteral("Chyba pri posilani pole!");
    }
    void writeFailuresAreLinkFailures()
    {
        QFETCH(bool, block);
        QFETCH(QString, detail);
        Rig rig;
        QVERIFY(!rig.modem->open());
        rig.modem->failNextWrite();
        const Outcome o = block ? rig.link.sendBytes(QByteArrayLiteral("xyz"))
                                : finish(rig.link.sendCommand(QByteArrayLiteral("ATE1"), true));
        QVERIFY(o.isLinkFailure());
        QCOMPARE(o.detail, detail);
    }

    void fatalLinkErrorResetsEverything()
    {
        Rig rig;
        QVERIFY(!rig.modem->open());
        QVERIFY(!rig.diag->open());
        rig.link.diagSilenceTimer().start();
        // A stand-in for a transfer window.
        QObject window;
        int closedAsCancelled = 0;
        rig.link.registerWorkWindow(&window, [&] { ++closedAsCancelled; });
        QSignalSpy fatal(&rig.link, &PhoneLink::fatalError);

        rig.link.fatalLinkError(QStringLiteral("Chyba pri posilani stringu!"));

        QCOMPARE(closedAsCancelled, 1);
        QVERIFY(!rig.link.workWindow());
        QVERIFY(!rig.modem->isOpen());
        QVERIFY(!rig.diag->isOpen());
        QVERIFY(!rig.link.diagSilenceTimer().isActive());
        QCOMPARE(fatal.count(), 1);
        QCOMPARE(fatal.at(0).at(0).toString(), QStringLiteral("Chyba pri posilani stringu!"));

        // The window is closed once; a second error has no window to close.
        rig.link.fatalLinkError(QStringLiteral("again"));
        QCOMPARE(closedAsCancelled, 1);
    }

    void workWindowForgottenWhenGone()
    {
        Rig rig;
        int closed = 0;
        {
            QObject window;
            rig.link.registerWorkWindow(&window, [&] { ++closed; });
        }
        rig.link.fatalLinkError(QStringLiteral("x"));
        QCOMPARE(closed, 0);
    }

    // However the reply is split, the waiting sender gets the same whole reply, and bytes
    // after it stay for the next one.
    void replyIndependentOfSplitting_data()
    {
        QTest::addColumn<int>("chunk");
        QTest::newRow("whole") << 0;
        QTest::newRow("byte by byte") << 1;
        QTest::newRow("threes") << 3;
    }
    void replyIndependentOfSplitting()
    {
        QFETCH(int, chunk);
        Rig rig;
        QVERIFY(!rig.modem->open());
        ReplyReader &reader = rig.link.reader(PhoneLink::Port::Modem);
        QSignalSpy notices(&rig.link, &PhoneLink::newMessageNotice);
        // A notice before the reply, one inside it, and a reply after it that stays pending.
        const QByteArray wire = QByteArrayLiteral("+CMTI: \"SM\",2\r\nATE1\r\r\n+CMTI: \"SM\",3\r\n\r\nOK\r\nAT\r\r\nOK\r\n");
        int pos = 0;
        QTimer feeder;
        feeder.setInterval(1);
        connect(&feeder, &QTimer::timeout, this, [&] {
            const int n = chunk == 0 ? int(wire.size()) : chunk;
            rig.modem->feed(wire.mid(pos, n));
            pos += n;
            if (pos >= wire.size())
                feeder.stop();
        });
        feeder.start();
        const auto r = finish(reader.next(atReply, 5s));
        QVERIFY(r.ok());
        QCOMPARE(r.value, QByteArrayLiteral("ATE1\r\r\nOK\r\n"));
        QTRY_COMPARE(reader.pending(), QByteArrayLiteral("AT\r\r\nOK\r\n"));
        QCOMPARE(notices.count(), 2);
        QCOMPARE(notices.at(0).at(0).toByteArray(), QByteArrayLiteral("+CMTI: \"SM\",2"));
        QCOMPARE(notices.at(1).at(0).toByteArray(), QByteArrayLiteral("+CMTI: \"SM\",3"));
    }

    void replyWaitEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("kind");
        QTest::newRow("silence") << QStringLiteral("silence") << int(Outcome::Status::Failed) << int(FailureKind::TimeOut);
        QTest::newRow("hang-up") << QStringLiteral("hangup") << int(Outcome::Status::Failed) << int(FailureKind::LinkLost);
        QTest::newRow("cancel") << QStringLiteral("cancel") << int(Outcome::Status::Cancelled) << -1;
        QTest::newRow("closed by the user") << QStringLiteral("close") << int(Outcome::Status::Failed)
                                            << int(FailureKind::PortClosed);
    }
    void replyWaitEnds()
    {
        QFETCH(QString, how);
        QFETCH(int, status);
        QFETCH(int, kind);
        Rig rig;
        QVERIFY(!rig.modem->open());
        ReplyReader &reader = rig.link.reader(PhoneLink::Port::Modem);
        if (how == QLatin1String("hangup"))
            QTimer::singleShot(20, rig.modem, &FakeSerialChannel::hangUp);
        if (how == QLatin1String("cancel"))
            QTimer::singleShot(20, &reader, &ReplyReader::cancel);
        if (how == QLatin1String("close"))
            QTimer::singleShot(20, rig.modem, &FakeSerialChannel::close);
        rig.modem->feed(QByteArrayLiteral("\r\nOK")); // incomplete
        const auto r = finish(reader.next(atReply, 200ms));
        QCOMPARE(int(r.outcome.status), status);
        if (kind >= 0)
            QCOMPARE(int(r.outcome.kind), kind);
    }

    // Bytes that came before the other end went away are still a reply.
    void bytesBeforeAHangUpAreDelivered()
    {
        Rig rig;
        QVERIFY(!rig.modem->open());
        QTimer::singleShot(20, rig.modem, [&rig] {
            rig.modem->feed(QByteArrayLiteral("AT\r\r\nOK\r\n"));
            rig.modem->hangUp();
        });
        const auto r = finish(rig.link.reader(PhoneLink::Port::Modem).next(atReply, 5s));
        QVERIFY(r.ok());
        QCOMPARE(r.value, QByteArrayLiteral("AT\r\r\nOK\r\n"));
    }

#ifdef Q_OS_UNIX
    // The work folder for phone files is the user's alone; one that is not is refused.
    void workFolderIsPrivate()
    {
        QString problem;
        const QString work = workFolder(&problem);
        QVERIFY2(!work.isEmpty(), qPrintable(problem));
        QCOMPARE(QFileInfo(work).permissions() & 0x0077, QFileDevice::Permissions());

        QTemporaryDir dir;
        const QString mine = dir.filePath(u"mine"_qs);
        QVERIFY(QDir().mkdir(mine));
        QVERIFY(QFile::setPermissions(mine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const uint me = QFileInfo(mine).ownerId();
        QCOMPARE(privateFolderProblem(mine, me), QString());
        QVERIFY(privateFolderProblem(mine, me + 1).contains(u"another user"_qs));
        QVERIFY(QFile::setPermissions(mine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                | QFile::ExeOther));
        QVERIFY(privateFolderProblem(mine, me).contains(u"open to other users"_qs));
        QVERIFY(QFile::link(mine, dir.filePath(u"link"_qs)));
        QVERIFY(!privateFolderProblem(dir.filePath(u"link"_qs), me).isEmpty());
    }
#endif

    void logSavedExactly()
    {
        ExchangeLog log;
        log.append(QStringLiteral("OBEX CONNECTING BEGIN"));
        log.clear();
        log.append(QStringLiteral("Write..ATE1"));
        log.append(QByteArray("Read..Obex..\xA0\x00\x03", 15));
        const QString path = vtest::home() + QStringLiteral("/log.txt");
        QVERIFY(log.saveTo(path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray expected = QByteArray("Write..ATE1\nRead..Obex..\xA0\x00\x03\n", 28);
#ifdef Q_OS_WIN
        QCOMPARE(f.readAll().replace("\r\n", "\n"), expected);
#else
        QCOMPARE(f.readAll(), expected);
#endif
    }
};

VANDREL_TEST(PhoneLinkTest)
#include "tst_phonelink.moc"
