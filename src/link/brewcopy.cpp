#include "brewcopy.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace vandrel::link {

namespace {

QString parentOf(const QString &phoneName) { return brewParentPath(phoneName); }
QString lastName(const QString &phoneName) { return brewBaseName(phoneName); }

Outcome fromDecision(OverwriteDecision d)
{
    return d == OverwriteDecision::Stop ? Outcome::cancelled() : Outcome::completed();
}

} // namespace

BrewCopier::BrewCopier(BrewSession &session, OverwriteQuestions &questions, QObject *parent)
    : QObject(parent), m_session(session), m_questions(questions)
{
}

QCoro::Task<Result<explorer::DirEntry>> BrewCopier::lookup(QString phoneName)
{
    using R = Result<explorer::DirEntry>;
    QPointer<BrewCopier> self(this);
    const QString name = lastName(phoneName);
    if (name.isEmpty())
        co_return R::of(explorer::DirEntry::folder(QString()));
    const auto parent = co_await m_session.ListBrewFolders(parentOf(phoneName));
    if (!self)
        co_return R::from(Outcome::cancelled());
    if (!parent.ok())
        co_return R::from(parent.outcome);
    if (const explorer::DirEntry *e = parent.value.find(name))
        co_return R::of(*e);
    co_return R::from(Outcome::failed(FailureKind::NotFound, QStringLiteral("The phone has no %1.").arg(phoneName)));
}

QCoro::Task<Outcome> BrewCopier::getFile(QString phoneName, QString localFile)
{
    QPointer<BrewCopier> self(this);
    if (QFileInfo::exists(localFile)) {
        const QFileInfo info(localFile);
        const auto decision = co_await m_questions.decide(
            QDir::toNativeSeparators(info.absolutePath()) + QDir::separator() + info.fileName() +
            QStringLiteral(" already exists. Replace it?"));
        if (!self)
            co_return Outcome::cancelled();
        if (decision != OverwriteDecision::Replace) {
            m_skipped += decision == OverwriteDecision::Skip;
            co_return fromDecision(decision);
        }
    }
    emit notice(QStringLiteral("%1 -> %2").arg(phoneName, QDir::toNativeSeparators(localFile)));
    const auto read = co_await m_session.ReadBrewFile(parentOf(phoneName), lastName(phoneName), QString(), localFile);
    if (!self)
        co_return Outcome::cancelled();
    m_copied += read.ok();
    co_return read.outcome;
}

QCoro::Task<Outcome> BrewCopier::getFolder(QString phoneFolder, QString localParent)
{
    QPointer<BrewCopier> self(this);
    phoneFolder = brewFolderPath(phoneFolder);
    QString localDir = localParent;
    if (!phoneFolder.isEmpty()) {
        const auto safe = safeLocalName(lastName(phoneFolder));
        if (!safe)
            co_return Outcome::failed(FailureKind::Malformed,
                                      QStringLiteral("The phone folder name \"%1\" is not safe here.").arg(lastName(phoneFolder)));
        localDir = QDir(localParent).filePath(*safe);
    }
    if (!QDir().mkpath(localDir))
        co_return Outcome::failed(FailureKind::LocalFile,
                                  QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(localDir)));
    const auto listing = co_await m_session.ListBrewFolders(phoneFolder);
    if (!self)
        co_return Outcome::cancelled();
    if (!listing.ok())
        co_return listing.outcome;
    int unsafe = 0;
    for (const explorer::DirEntry &e : listing.value.entries) {
        const auto safe = safeLocalName(e.name);
        if (!safe) {
            // A name that would land outside the folder (or nowhere) is passed over.
            ++unsafe;
            emit notice(QStringLiteral("passed over \"%1\" in %2: not a safe local name").arg(e.name, phoneFolder));
            continue;
        }
        Outcome o;
        if (e.isFolder)
            o = co_await getFolder(phoneFolder + e.name + QLatin1Char('/'), localDir);
        else
            o = co_await getFile(phoneFolder + e.name, QDir(localDir).filePath(*safe));
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
    }
    if (unsafe > 0)
        co_return Outcome::failed(FailureKind::Malformed,
                                  QStringLiteral("%1 name(s) in %2 could not be saved safely and were passed over.")
                                      .arg(unsafe)
                                      .arg(phoneFolder.isEmpty() ? QStringLiteral("/") : phoneFolder));
    co_return Outcome::completed();
}

QCoro::Task<Outcome> BrewCopier::putFile(QString localFile, QString phoneFolder)
{
    QPointer<BrewCopier> self(this);
    const auto existing = co_await m_session.ListBrewFolders(phoneFolder);
    if (!self)
        co_return Outcome::cancelled();
    if (!existing.ok())
        co_return existing.outcome;
    co_return co_await putFileInto(localFile, brewFolderPath(phoneFolder), existing.value);
}

QCoro::Task<Outcome> BrewCopier::putFileInto(QString localFile, QString phoneFolder, const BrewFolder &existing)
{
    QPointer<BrewCopier> self(this);
    const QString name = QFileInfo(localFile).fileName();
    const QString phoneName = phoneFolder + name;
    bool replacing = false;
    if (const explorer::DirEntry *e = existing.find(name)) {
        if (e->isFolder)
            co_return Outcome::failed(FailureKind::Refused,
                                      QStringLiteral("The phone has a folder named %1.").arg(phoneName));
        const auto decision = co_await m_questions.decide(phoneFolder + name + QStringLiteral(" already exists. Replace it?"));
        if (!self)
            co_return Outcome::cancelled();
        if (decision != OverwriteDecision::Replace) {
            m_skipped += decision == OverwriteDecision::Skip;
            co_return fromDecision(decision);
        }
        if (!QFileInfo(localFile).isReadable())
            co_return Outcome::failed(FailureKind::LocalFile,
                                      QStringLiteral("Cannot read %1.").arg(QDir::toNativeSeparators(localFile)));
        const Outcome removed = co_await m_session.removeBrewFile(phoneName);
        if (!self)
            co_return Outcome::cancelled();
        if (!removed.ok())
            co_return removed;
        replacing = true;
    }
    emit notice(QStringLiteral("%1 -> %2").arg(QDir::toNativeSeparators(localFile), phoneName));
    Outcome written = co_await m_session.WriteBrewFile(localFile, phoneName);
    if (!self)
        co_return Outcome::cancelled();
    // The phone has no rename: the old file had to go before the new one could come.
    if (!written.ok() && replacing)
        written.detail += QStringLiteral(" The old %1 on the phone is gone.").arg(phoneName);
    m_copied += written.ok();
    co_return written;
}

QCoro::Task<Outcome> BrewCopier::putFolder(QString localDir, QString phoneFolder)
{
    QPointer<BrewCopier> self(this);
    phoneFolder = brewFolderPath(phoneFolder);
    const QString name = QFileInfo(QDir::cleanPath(localDir)).fileName();
    const QDir dir(localDir);
    if (!dir.exists() || !dir.isReadable())
        co_return Outcome::failed(FailureKind::LocalFile,
                                  QStringLiteral("Cannot read the folder %1.").arg(QDir::toNativeSeparators(localDir)));
    const Outcome made = co_await m_session.MakeBrewFolder(phoneFolder, name);
    if (!self)
        co_return Outcome::cancelled();
    if (!made.ok() && made.kind != FailureKind::Refused)
        co_return made;
    // A folder that exists already refuses to be made again; its listing tells.
    const QString target = phoneFolder + name + QLatin1Char('/');
    const auto existing = co_await m_session.ListBrewFolders(target);
    if (!self)
        co_return Outcome::cancelled();
    if (!existing.ok())
        co_return made.ok() ? existing.outcome : made;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::DirsFirst | QDir::Name);
    for (const QFileInfo &e : entries) {
        Outcome o;
        if (e.isDir())
            o = co_await putFolder(e.filePath(), target);
        else
            o = co_await putFileInto(e.filePath(), target, existing.value);
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
    }
    co_return Outcome::completed();
}

QCoro::Task<Outcome> BrewCopier::removeFolder(QString phoneFolder)
{
    QPointer<BrewCopier> self(this);
    phoneFolder = brewFolderPath(phoneFolder);
    if (phoneFolder.isEmpty())
        co_return Outcome::failed(FailureKind::Usage, QStringLiteral("The root folder cannot be removed."));
    const auto listing = co_await m_session.ListBrewFolders(phoneFolder);
    if (!self)
        co_return Outcome::cancelled();
    if (!listing.ok())
        co_return listing.outcome;
    for (const explorer::DirEntry &e : listing.value.entries) {
        emit notice(QStringLiteral("removing %1%2").arg(phoneFolder, e.caption()));
        Outcome o;
        if (e.isFolder)
            o = co_await removeFolder(phoneFolder + e.name + QLatin1Char('/'));
        else
            o = co_await m_session.removeBrewFile(phoneFolder + e.name);
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
    }
    // The folder itself, its path with the trailing "/".
    co_return co_await m_session.removeBrewFolder(phoneFolder);
}

} // namespace vandrel::link
