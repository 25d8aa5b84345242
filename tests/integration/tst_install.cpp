// Java programs and themes installed on the in-process virtual phone (random reply splitting).
#include "common/testmain.h"
#include "integration/jarfile.h"
#include "integration/phonerig.h"

#include <core/install/jad.h>
#include <link/brewsession.h>
#include <link/installsession.h>

#include <QCoroTask>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
        QVERIFY(jarfile::makeJar(rig.here(u"game.jar"_qs), 1234, kManifest, pattern(600)));
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
        QVERIFY(jarfile::makeJar(rig.here(u"game.jar"_qs), 1500, kManifest, pattern(600)));
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
        QVERIFY(zip ? jarfile::makeJar(jar, 900, manifest, pattern(600)) : writeFile(jar, pattern(900)));
        const link::Outcome o = rig.run({install::Kind::Game, jar, rig.here(u"game.jad"_qs), {}});
        QVERIFY(o.isFailed());
        QCOMPARE(int(rig.installer.problem()), problem);
        QVERIFY(rig.phone.diag->written().isEmpty());
    }

    // A write refused after blocks went through leaves no piece of the JAR on the phone, and
    // the failure names it. The phone keeps the cut-off file, so only our removal request can
    // make it go.
    void cutOffJarIsRemoved()
    {
        Rig rig;
        rig.phone.phone->controls().keepPartialWrites();
        QVERIFY(jarfile::makeJar(rig.here(u"game.jar"_qs), 3000, kManifest, pattern(2000)));
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
