#include "installsession.h"

#include "brewcopy.h"
#include "jarmanifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace vandrel::link {

namespace {
bool readWhole(const QString &path, QByteArray *bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *bytes = f.readAll();
    return f.error() == QFileDevice::NoError;
}
} // namespace

InstallSession::InstallSession(BrewSession &session, QObject *parent) : QObject(parent), m_session(session)
{
    connect(&session, &BrewSession::progress, this, &InstallSession::progress);
}

InstallProblem InstallSession::descriptorFor(const QString &jarPath, QByteArray *jad, QString *detail)
{
    const JarManifest manifest = readJarManifest(jarPath);
    if (manifest.problem == ManifestProblem::NotAnArchive) {
        *detail = QStringLiteral("%1 is not a JAR (ZIP) archive: %2").arg(QDir::toNativeSeparators(jarPath), manifest.detail);
        return InstallProblem::NotAnArchive;
    }
    if (manifest.problem == ManifestProblem::NotFound) {
        *detail = QStringLiteral("%1 has no META-INF/MANIFEST.MF").arg(QDir::toNativeSeparators(jarPath));
        return InstallProblem::NoManifest;
    }
    *jad = install::jadFromManifest(QFileInfo(jarPath).size(), QFileInfo(jarPath).fileName(), manifest.bytes);
    return InstallProblem::None;
}

QCoro::Task<Outcome> InstallSession::send(QByteArray data, QString phoneName)
{
    QPointer<InstallSession> self(this);
    const BrewWrite w = co_await m_session.writeBrewData(data, phoneName);
    if (!self)
        co_return Outcome::cancelled();
    if (w.outcome.ok() || !w.begun)
        co_return w.outcome;
    if (w.outcome.isLinkFailure()) {
        // Nothing can be removed over a broken link: the user must know what is left behind.
        Outcome o = w.outcome;
        o.detail += QLatin1Char(' ') + partialWriteNote(phoneName);
        co_return o;
    }
    // A program cut off in the middle would only confuse the phone's installer.
    const Outcome removed = co_await m_session.removeBrewFile(phoneName);
    if (!self)
        co_return Outcome::cancelled();
    const QString what = w.outcome.isCancelled() ? QStringLiteral("Installation cancelled") : w.outcome.detail;
    co_return Outcome::failed(w.outcome.isCancelled() ? FailureKind::Refused : w.outcome.kind,
                              // The phone may have dropped the cut-off file itself: say only what is known.
                              removed.ok()
                                  ? QStringLiteral("%1; the incomplete %2 was removed from the phone.").arg(what, phoneName)
                                  : QStringLiteral("%1; removing the incomplete %2 from the phone failed (%3).")
                                        .arg(what, phoneName, removed.detail));
}

QCoro::Task<Outcome> InstallSession::install(InstallRequest request)
{
    QPointer<InstallSession> self(this);
    m_problem = InstallProblem::None;
    const auto unreadable = [this](const QString &path) {
        m_problem = InstallProblem::Unreadable;
        return Outcome::failed(FailureKind::LocalFile, Wording::CannotOpenFile, QDir::toNativeSeparators(path));
    };

    if (request.kind == install::Kind::Theme) {
        QByteArray theme;
        if (!readWhole(request.themePath, &theme))
            co_return unreadable(request.themePath);
        // The folders may be there already: any answer but a lost link goes on.
        const QString parent = install::kThemeParentFolder;
        const qsizetype cut = parent.lastIndexOf(QLatin1Char('/'));
        Outcome o = co_await m_session.makeBrewFolder(parent.left(cut + 1), parent.mid(cut + 1));
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok() && (o.isLinkFailure() || o.isCancelled()))
            co_return o;
        o = co_await m_session.makeBrewFolder(parent + QLatin1Char('/'), QStringLiteral("usr"));
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok() && (o.isLinkFailure() || o.isCancelled()))
            co_return o;
        co_return co_await send(theme, install::installFolder(install::Kind::Theme) + QFileInfo(request.themePath).fileName());
    }

    QByteArray jar;
    if (!readWhole(request.jarPath, &jar))
        co_return unreadable(request.jarPath);
    const QString jarName = QFileInfo(request.jarPath).fileName();
    QByteArray created;
    QString detail;
    // The manifest is checked even when a JAD exists: a JAR without one will not install.
    m_problem = descriptorFor(request.jarPath, &created, &detail);
    if (m_problem != InstallProblem::None)
        co_return Outcome::failed(FailureKind::Usage, detail);
    QByteArray jad = created;
    if (QFileInfo::exists(request.jadPath)) {
        QByteArray own;
        if (!readWhole(request.jadPath, &own))
            co_return unreadable(request.jadPath);
        const install::JadFix fix = install::matchJadToJar(own, jar.size(), jarName);
        if (fix.changed())
            emit notice(QStringLiteral("%1 names %2 of the JAR; the phone gets a corrected copy, the file stays as it is.")
                            .arg(QDir::toNativeSeparators(request.jadPath),
                                 fix.sizeFixed && fix.urlFixed ? QStringLiteral("another size and file")
                                 : fix.sizeFixed               ? QStringLiteral("another size")
                                                               : QStringLiteral("another file")));
        jad = fix.jad;
    }
    const QString folder = install::installFolder(request.kind);
    const Outcome sentJar = co_await send(jar, folder + jarName);
    if (!self)
        co_return Outcome::cancelled();
    if (!sentJar.ok())
        co_return sentJar;
    const QString jadName = request.jadPath.isEmpty() ? install::jadBesideJar(jarName) : QFileInfo(request.jadPath).fileName();
    co_return co_await send(jad, folder + jadName);
}

} // namespace vandrel::link
