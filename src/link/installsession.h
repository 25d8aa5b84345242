#pragma once
// Installing a Java program (JAR with its JAD) or a theme (".sdt") into the phone's BREW file
// system. Everything is checked before the first byte goes out: the JAR must be a ZIP archive
// with a manifest; a JAD that names another size or file is sent corrected (the user's file
// stays as it is); a missing JAD is made from the manifest.
#include "brewsession.h"

#include <core/install/jad.h>

#include <QObject>

namespace vandrel::link {

struct InstallRequest {
    install::Kind kind = install::Kind::Game;
    QString jarPath;    // Java: the program
    QString jadPath;    // Java: its descriptor; made from the manifest when the file is missing
    QString themePath;  // Theme
};

// What went wrong before anything was sent, so the windows can use their own texts.
enum class InstallProblem { None, NotAnArchive, NoManifest, Unreadable };

class InstallSession : public QObject {
    Q_OBJECT
public:
    explicit InstallSession(BrewSession &session, QObject *parent = nullptr);

    QCoro::Task<Outcome> install(InstallRequest request);
    InstallProblem problem() const { return m_problem; }

    // The JAD a JAR gets when it has none: from the manifest, or a problem.
    static InstallProblem descriptorFor(const QString &jarPath, QByteArray *jad, QString *detail);

signals:
    void progress(qint64 done, qint64 total);
    // Something the user should know that did not stop the work.
    void notice(const QString &text);

private:
    QCoro::Task<Outcome> send(QByteArray data, QString phoneName);

    BrewSession &m_session;
    InstallProblem m_problem = InstallProblem::None;
};

} // namespace vandrel::link
