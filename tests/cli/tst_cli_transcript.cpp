#include "common/testmain.h"
#include "cli/clitest.h"

#include <QTest>

namespace {
using clitest::cli;
using clitest::Run;

// vandrel-phone answering from a transcript on two pseudo-terminals.
class ReplayedPhone {
public:
    bool start(const QString &transcript)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        m_process.start(clitest::binary("vandrel-phone"), {u"--replay"_qs, transcript, u"--modem-link"_qs, modemLink(),
                                                           u"--diag-link"_qs, diagLink()});
        for (int i = 0; i < 800 && !running(); ++i)
            QTest::qWait(25);
        return running();
    }
    ~ReplayedPhone()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool running() const { return QFileInfo::exists(modemLink()) && QFileInfo::exists(diagLink()); }
    QString modemLink() const { return m_dir.filePath(u"modem"_qs); }
    QString diagLink() const { return m_dir.filePath(u"diag"_qs); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

// The rows without their dates, for listings dated by the computer's clock.
QByteArray undated(const QByteArray &listing)
{
    QList<QByteArray> rows = listing.split('\n');
    for (QByteArray &row : rows)
        row = row.split('\t').mid(0, 2).join('\t');
    return rows.join('\n');
}
} // namespace

class CliTranscriptTest : public QObject {
    Q_OBJECT
private slots:
    // A listing recorded against the virtual phone comes out the same from its replay.
    void replayedListing_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("phoneDates");
        QTest::newRow("obex ls") << QStringList{u"obex"_qs, u"ls"_qs, u"mmc"_qs} << true;
        // BREW rows are dated when listed: the phone sends no dates.
        QTest::newRow("brew ls") << QStringList{u"brew"_qs, u"ls"_qs, u"brew/mod/clock"_qs} << false;
    }
    void replayedListing()
    {
        QFETCH(QStringList, command);
        QFETCH(bool, phoneDates);
        QByteArray listing;
        const QTemporaryDir dir;
        const QString transcript = dir.filePath(u"transcript.txt"_qs);
        {
            clitest::PtyPhone phone;
            if (!phone.start() && !phone.built())
                QSKIP("the virtual phone (vandrel-phone) is not built in this tree");
            QVERIFY(phone.running());
            const Run r = cli(QStringList{u"--modem"_qs, phone.modemLink(), u"--diag"_qs, phone.diagLink(),
                                          u"--record"_qs, transcript} + command);
            QCOMPARE(r.exitCode, 0);
            QVERIFY(!r.out.isEmpty());
            listing = r.out;
        }
        ReplayedPhone replayed;
        QVERIFY(replayed.start(transcript));
        const Run r = cli(QStringList{u"--modem"_qs, replayed.modemLink(), u"--diag"_qs, replayed.diagLink()} + command);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(phoneDates ? r.out : undated(r.out), phoneDates ? listing : undated(listing));
        QCOMPARE(r.exitCode, 0);
    }
};

VANDREL_TEST(CliTranscriptTest)

#include "tst_cli_transcript.moc"
