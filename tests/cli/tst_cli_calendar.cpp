// vandrel-cli calendar pull against the virtual phone: the file as the phone keeps it, and the
// iCalendar conversion read by python3-icalendar.
#include "common/testmain.h"
#include "cli/clitest.h"
#include "core/peer.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

using clitest::cli;
using clitest::Run;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class CliCalendarTest : public QObject {
    Q_OBJECT
private slots:
    void usageErrors()
    {
        QCOMPARE(cli({u"--diag"_qs, u"/nonexistent/port"_qs, u"calendar"_qs, u"pull"_qs}).exitCode, 2);
        QCOMPARE(cli({u"--diag"_qs, u"/nonexistent/port"_qs, u"calendar"_qs, u"pull"_qs, u"cal.txt"_qs}).exitCode, 2);
        // No port: nothing is written.
        QTemporaryDir dir;
        const QString target = dir.filePath(u"cal.vcs"_qs);
        const Run r = cli({u"--diag"_qs, u"/nonexistent/port"_qs, u"calendar"_qs, u"pull"_qs, target});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!QFileInfo::exists(target));
    }

    void pull()
    {
        clitest::PtyPhone phone;
        if (!phone.start())
            QSKIP("the virtual phone (vandrel-phone) is not built in this tree");
        const QString vcs = phone.scratch(u"cal.vcs"_qs);
        const QString ics = phone.scratch(u"cal.ics"_qs);
        const QStringList diag{u"--diag"_qs, phone.diagLink(), u"calendar"_qs, u"pull"_qs};
        Run r = cli(diag + QStringList{vcs});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(fileBytes(vcs), fileBytes(phone.root() + u"/brew-fs/brew/master_events.dat"_qs));

        r = cli(diag + QStringList{ics});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QString why;
        const QJsonDocument answer = vtest::runPeer(u"../core/icalendar_peer.py"_qs,
                                                    QJsonDocument(QJsonObject{{u"ics"_qs, QString::fromUtf8(fileBytes(ics))}}), &why);
        QVERIFY2(answer.isObject(), qPrintable(why));
        QCOMPARE(answer[u"errors"_qs].toArray(), QJsonArray());
        QCOMPARE(answer[u"uids"_qs].toInt(), 5);
        const QJsonArray events = answer[u"events"_qs].toArray();
        QCOMPARE(events.size(), qsizetype(5));
        // The stored (UTC) times, not the list's shifted ones; the alarm from DALARM.
        const QJsonArray late{u"20070320T233000Z"_qs, u"20070321T003000Z"_qs, u"Noční vlak do Košic"_qs,
                              QJsonArray{QJsonArray{u"DISPLAY"_qs, u"20070320T230000Z"_qs, u"Noční vlak do Košic"_qs}}};
        QCOMPARE(events[3].toArray(), late);
        QCOMPARE(events[1].toArray()[2].toString(), u"Večeře s přáteli"_qs);
        QCOMPARE(events[1].toArray()[3].toArray(), QJsonArray());

        // An existing file is kept without --overwrite yes.
        r = cli(diag + QStringList{ics});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(phone.anomalies(), QByteArray());
    }
};

VANDREL_TEST(CliCalendarTest)
#include "tst_cli_calendar.moc"
