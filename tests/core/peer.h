#pragma once
// Runs a peer script of tests/peers with Debian's own interpreter: JSON in, JSON out.
// A missing interpreter or module is a failure, never a skip.
#include "common/testmain.h"

#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QTest>

namespace vtest {

inline QString pythonForPeers() { return QStringLiteral("/usr/bin/python3"); }

// Empty document and a failure message in `why` when the peer could not answer.
inline QJsonDocument runPeer(const QString &script, const QJsonDocument &request, QString *why)
{
    QProcess p;
    p.start(pythonForPeers(), {sourceDir() + QStringLiteral("/tests/peers/") + script});
    if (!p.waitForStarted(30000)) {
        *why = QStringLiteral("cannot start %1: %2").arg(pythonForPeers(), p.errorString());
        return {};
    }
    p.write(request.toJson(QJsonDocument::Compact));
    p.closeWriteChannel();
    p.waitForFinished(120000);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *why = QStringLiteral("%1 failed: %2").arg(script, QString::fromUtf8(p.readAllStandardError()));
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput());
}

} // namespace vtest
