// Java programs and themes installed on the in-process virtual phone (random reply splitting).
#include "common/testmain.h"
#include "integration/phonerig.h"

#include <core/install/jad.h>
#include <link/brewsession.h>
#include <link/installsession.h>

#include <QCoroTask>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

using namespace vandrel;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A JAR of exactly `size` bytes (the archive comment fills it up), with a manifest or not.
bool makeJar(const QString &path, qint64 size, const QByteArray &manifest, const QByteArray &classBytes)
{
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    const auto add = [z](const char *name, const QByteArray &data) {
        zip_source_t *s = zip_source_buffer(z, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t i = zip_file_add(z, name, s, ZIP_FL_OVERWRITE);
        return i >= 0 && zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_STORE, 0) == 0;
    };
    bool ok = (manifest.isEmpty() || add("META-INF/MANIFEST.MF", manifest)) && add("Main.class", classBytes);
    ok = zip_close(z) == 0 && ok;
    const qint64 bare = QFileInfo(path).size();
    if (!ok || bare > size)
        return false;
    z = zip_open(QFile::encodeName(path).constData(), 0, &error);
    const QByteArray comment(int(size - bare), 'c');
    ok = z && zip_set_archive_comment(z, comment.constData(), zip_uint16_t(comment.size())) == 0;
    return z && zip_close(z) == 0 && ok && QFileInfo(path).size() == size;
}

const QByteArray kManifest("Manifest-Version: 1.0\r\nMIDlet-Name: Game\r\nMIDlet-1: Game,,Main\r\n");

QByteArray pattern(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

struct Rig {
    itest::PhoneRig phone;
    QTemporaryDir local;
    link::BrewSession session{*phone.link};
    link::InstallSession installer{session};
    QStringList notices;

    explicit Rig(quint32 seed = 5) : phone(seed)
    {
        (void)phone.diag->open();
        QObject::connect(&installer, &link::InstallSession::notice, [this](const QString &t) { notices << t; });
    }
    QString brew(const QString &rel) const { return phone.phone->brewRoot() + QLatin1Char('/') + rel; }
    QString here(const QString &name) const { return local.filePath(name); }
    link::Outcome run(const link::InstallRequest &r) { return QCoro::waitFor(installer.install(r)); }
};

} // namespace

class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void javaProgram_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("folder");
        QTest::newRow("game") << int(install::Kind::Game) << u"brew/mod/java_ams/config/games/"_qs;
        QTest::newRow("application") << int(install::Kind::Application) << u"brew/mod/java_ams/config/apps/"_qs;
    }
    void javaProgram()
    {
        QFETCH(int, kind);
        QFETCH(QString, folder);
        Rig rig;
        QVERIFY(makeJar(rig.here(u"game.jar"_qs), 1234, kManifest, pattern(600)));
        link::InstallRequest r{install::Kind(kind), rig.here(u"game.jar"_qs), rig.here(u"game.jad"_qs), {}};
        const link::Outcome o = rig.run(r);
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(fileBytes(rig.brew(folder + u"game.jar"_qs)), fileBytes(rig.here(u"game.jar"_qs)));
        QCOMPARE(fileBytes(rig.brew(folder + u"game.jad"_qs)),
                 QByteArray("MIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: game.jar\r\n") + kManifest);
        QVERIFY(!QFileInfo::exists(rig.here(u"game.jad"_qs)));
        QVERIFY2(rig.phone.anomalies().isEmpty(), qPrintable(rig.phone.anomalies()));
    }

    void mismatchedJadIsSentCorrected()
    {
        Rig rig;
        QVERIFY(makeJar(rig.here(u"game.jar"_qs), 1500, kManifest, pattern(600)));
        const QByteArray own = "MIDlet-Jar-Size: 999\r\nMIDlet-Jar-URL: game.jar\r\n" + kManifest;
        QVERIFY(writeFile(rig.here(u"game.jad"_qs), own));
        link::InstallRequest r{install::Kind::Game, rig.here(u"game.jar"_qs), rig.here(u"game.jad"_qs), {}};
        const link::Outcome o = rig.run(r);
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(fileBytes(rig.brew(u"brew/mod/java_ams/config/games/game.jad"_qs)),
                 "MIDlet-Jar-Size: 1500\r\nMIDlet-Jar-URL: game.jar\r\n" + kManifest);
        QCOMPARE(fileBytes(rig.here(u"game.jad"_qs)), own);
        QCOMPARE(rig.notices.size(), 1);
    }

    void theme_data()
    {
        QTest::addColumn<bool>("foldersThere");
        QTest::newRow("folders made") << false;
        QTest::newRow("folders there") << true;
    }
    void theme()
    {
        QFETCH(bool, foldersThere);
        Rig rig;
        if (foldersThere)
            QVERIFY(QDir().mkpath(rig.brew(u"brew/mod/cmgr/pp/thm/usr"_qs)));
        QVERIFY(writeFile(rig.here(u"blue.sdt"_qs), pattern(700)));
        link::InstallRequest r{install::Kind::Theme, {}, {}, rig.here(u"blue.sdt"_qs)};
        const link::Outcome o = rig.run(r);
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(fileBytes(rig.brew(u"brew/mod/cmgr/pp/thm/usr/blue.sdt"_qs)), pattern(700));
        QVERIFY2(rig.phone.anomalies().isEmpty(), qPrintable(rig.phone.anomalies()));
    }

    void refusedBeforeSending_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<bool>("zip");
        QTest::addColumn<int>("problem");
        QTest::newRow("no manifest") << QByteArray() << true << int(link::InstallProblem::NoManifest);
        QTest::newRow("not a zip") << QByteArray() << false << int(link::InstallProblem::NotAnArchive);
    }
    void refusedBeforeSending()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(bool, zip);
        QFETCH(int, problem);
        Rig rig;
        const QString jar = rig.here(u"game.jar"_qs);
        QVERIFY(zip ? makeJar(jar, 900, manifest, pattern(600)) : writeFile(jar, pattern(900)));
        const link::Outcome o = rig.run({install::Kind::Game, jar, rig.here(u"game.jad"_qs), {}});
        QVERIFY(o.isFailed());
        QCOMPARE(int(rig.installer.problem()), problem);
        QVERIFY(rig.phone.diag->written().isEmpty());
    }

    // A write refused after blocks went through leaves no piece of the JAR on the phone, and
    // the failure names it.
    void cutOffJarIsRemoved()
    {
        Rig rig;
        QVERIFY(makeJar(rig.here(u"game.jar"_qs), 3000, kManifest, pattern(2000)));
        bool armed = false;
        QObject::connect(&rig.session, &link::BrewSession::progress, [&](qint64 done, qint64) {
            if (!armed && done > 0) {
                armed = true;
                rig.phone.phone->controls().refuseNextWrite();
            }
        });
        const link::Outcome o = rig.run({install::Kind::Game, rig.here(u"game.jar"_qs), rig.here(u"game.jad"_qs), {}});
        QVERIFY(armed);
        QVERIFY(o.isFailed());
        QVERIFY2(o.detail.contains(u"brew/mod/java_ams/config/games/game.jar"_qs), qPrintable(o.detail));
        QVERIFY(!QFileInfo::exists(rig.brew(u"brew/mod/java_ams/config/games/game.jar"_qs)));
        QVERIFY(!QFileInfo::exists(rig.brew(u"brew/mod/java_ams/config/games/game.jad"_qs)));
    }
};

VANDREL_TEST(InstallTest)
#include "tst_install.moc"
