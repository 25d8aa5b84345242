#include "common/testmain.h"

#include <link/qserialchannel.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace vandrel::link;

namespace {

// The far end of a pseudo-terminal, as the virtual phone holds it.
struct PtyMaster {
    int fd = -1;
    QString slave;
    PtyMaster()
    {
        fd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0)
            return;
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
        slave = QString::fromLocal8Bit(::ptsname(fd));
    }
    ~PtyMaster() { closeEnd(); }
    void closeEnd()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    QByteArray readSome()
    {
        QByteArray out;
        char buf[256];
        for (int i = 0; i < 50; ++i) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                out.append(buf, n);
            if (!out.isEmpty() && n <= 0)
                break;
            QTest::qWait(10);
        }
        return out;
    }
};

qint64 cpuMillis()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return qint64(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

} // namespace

class SerialChannelTest : public QObject {
    Q_OBJECT
private slots:
    void talksOverPseudoTerminal()
    {
        PtyMaster phone;
        QVERIFY(!phone.slave.isEmpty());
        ::fcntl(phone.fd, F_SETFL, O_NONBLOCK);
        QSerialChannel ch(4096);
        ch.setPortName(phone.slave);
        ch.setBaudRate(115200);
        const OpenError err = ch.open();
        QVERIFY2(!err, qPrintable(err.message));
        QVERIFY(ch.write(QByteArrayLiteral("ATE1\r")));
        QCOMPARE(phone.readSome(), QByteArrayLiteral("ATE1\r"));

        QSignalSpy ready(&ch, &SerialChannel::readyRead);
        const QByteArray reply("\r\nOK\r\n\x7E\x00\xFF", 9);
        QCOMPARE(::write(phone.fd, reply.constData(), size_t(reply.size())), ssize_t(reply.size()));
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += ch.readAll()).size() == reply.size(), 2000);
        QCOMPARE(got, reply);
    }

    // A cable pulled: the far end closes; the channel notices by itself and does not spin.
    void hangUpDetected()
    {
        PtyMaster phone;
        QSerialChannel ch(4096);
        ch.setPortName(phone.slave);
        QVERIFY(!ch.open());
        QSignalSpy lost(&ch, &SerialChannel::linkLost);
        QTest::qWait(50);
        phone.closeEnd();
        QVERIFY(lost.wait(1000) || lost.count() == 1);
        QVERIFY(!ch.isOpen());
        QVERIFY(!ch.write(QByteArrayLiteral("AT\r")));

        const qint64 before = cpuMillis();
        QElapsedTimer wall;
        wall.start();
        QTest::qWait(500);
        const qint64 used = cpuMillis() - before;
        QVERIFY2(used < wall.elapsed() / 2, qPrintable(QStringLiteral("%1 ms of CPU in %2 ms").arg(used).arg(wall.elapsed())));
        QCOMPARE(lost.count(), 1);
    }

    void openFailuresSayWhy_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("mustSay");
        QTest::newRow("permission") << int(QSerialPort::PermissionError) << int(OpenError::Kind::Permission)
                                    << QStringLiteral("dialout");
        QTest::newRow("missing") << int(QSerialPort::DeviceNotFoundError) << int(OpenError::Kind::NotFound)
                                 << QStringLiteral("does not exist");
        QTest::newRow("other") << int(QSerialPort::OpenError) << int(OpenError::Kind::Other)
                               << QStringLiteral("cannot be opened");
    }
    void openFailuresSayWhy()
    {
        QFETCH(int, error);
        QFETCH(int, kind);
        QFETCH(QString, mustSay);
        const OpenError e = openErrorFor(QSerialPort::SerialPortError(error), QStringLiteral("/dev/ttyACM0"),
                                         QStringLiteral("detail"));
        QCOMPARE(int(e.kind), kind);
        QVERIFY2(e.message.contains(mustSay), qPrintable(e.message));
        QVERIFY(e.message.contains(QStringLiteral("/dev/ttyACM0")));
    }

    void permissionDeniedOnRealPort()
    {
        if (::geteuid() == 0)
            QSKIP("root may open any device; the mapping is covered by openFailuresSayWhy");
        PtyMaster phone;
        QVERIFY(::chmod(phone.slave.toLocal8Bit().constData(), 0) == 0);
        QSerialChannel ch(4096);
        ch.setPortName(phone.slave);
        const OpenError e = ch.open();
        QCOMPARE(e.kind, OpenError::Kind::Permission);
        QVERIFY(e.message.contains(QStringLiteral("dialout")));
    }

    void missingPortIsNotFound()
    {
        QSerialChannel ch(4096);
        ch.setPortName(vtest::home() + QStringLiteral("/no-such-port"));
        const OpenError e = ch.open();
        QVERIFY(e);
        QVERIFY(!ch.isOpen());
        QVERIFY(!ch.write(QByteArrayLiteral("AT")));
    }
};

VANDREL_TEST(SerialChannelTest)
#include "tst_serialchannel.moc"
