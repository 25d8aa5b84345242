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
    QByteArray complaints() { return m_process.readAllStandardError(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};
} // namespace

class CliTranscriptTest : public QObject {
    Q_OBJECT
private slots:
    // A listing recorded against the virtual phone comes out the same from its replay.
    void replayedListing_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("obex ls") << QStringList{u"obex"_qs, u"ls"_qs, u"mmc"_qs};
        QTest::newRow("brew ls") << QStringList{u"brew"_qs, u"ls"_qs, u"brew/mod/clock"_qs};
    }
    void replayedListing()
    {
        QFETCH(QStringList, command);
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
        QCOMPARE(r.out, listing);
        QCOMPARE(r.exitCode, 0);
    }
};

VANDREL_TEST(CliTranscriptTest)

#include "tst_cli_transcript.moc"
