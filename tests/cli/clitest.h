#pragma once
// Running the built vandrel-cli, and the virtual phone on pseudo-terminals for it to talk to.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace clitest {

struct Run {
    int exitCode = -1; // -1: it crashed or did not finish
    QByteArray out;
    QByteArray err;
};

inline QString binary(const char *name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

// No standard input: "--overwrite ask" must refuse rather than wait for an answer.
inline Run cli(const QStringList &args, int timeoutMs = 120000)
{
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(binary("vandrel-cli"), args);
    Run r;
    if (!p.waitForFinished(timeoutMs))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// vandrel-phone on two pseudo-terminals in a folder of its own, its replies split at random.
class PtyPhone {
public:
    // False when vandrel-phone is not built here (built() tells) or made no links.
    bool start()
    {
        if (!QFileInfo::exists(binary("vandrel-phone")))
            return false;
        m_built = true;
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(binary("vandrel-phone"),
                        {QStringLiteral("--modem-link"), modemLink(), QStringLiteral("--diag-link"), diagLink(),
                         QStringLiteral("--root"), root(), QStringLiteral("--split"), QStringLiteral("random:5"),
                         QStringLiteral("--anomaly-log"), anomalyFile()});
        for (int i = 0; i < 800 && !running(); ++i)
            QTest::qWait(25);
        return running();
    }
    ~PtyPhone()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool built() const { return m_built; }
    // A line on the phone's standard input ("sms FROM TEXT" brings a message in).
    void type(const QByteArray &line) { m_process.write(line + '\n'); }
    bool running() const { return QFileInfo::exists(modemLink()) && QFileInfo::exists(diagLink()); }
    QString modemLink() const { return m_dir.filePath(QStringLiteral("modem")); }
    QString diagLink() const { return m_dir.filePath(QStringLiteral("diag")); }
    QString root() const { return m_dir.filePath(QStringLiteral("phone")); }
    QString scratch(const QString &rel) const { return m_dir.filePath(rel); }
    QString anomalyFile() const { return m_dir.filePath(QStringLiteral("anomalies.txt")); }
    QByteArray anomalies() const
    {
        QFile f(anomalyFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_built = false;
};

} // namespace clitest
