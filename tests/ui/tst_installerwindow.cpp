// The installer window on a main window over the in-process virtual phone.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "integration/jarfile.h"
#include "ui/phonewindow.h"

#include <phone-sim/diagport.h>
#include <ui/installerwindow.h>

#include <QPushButton>
#include <QRadioButton>

using namespace phonewindow;

namespace {
QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
const QByteArray kManifest("Manifest-Version: 1.0\r\nMIDlet-Name: Game\r\n");
} // namespace

class InstallerWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Create the JAD, choose the kind, install, then answer the restart question: Yes sends the
    // offline and restart requests and the connection ends; No leaves the phone alone.
    void createsAndInstalls_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QList<int>>("modes");
        QTest::newRow("no restart") << false << QList<int>{};
        QTest::newRow("restart") << true << QList<int>{1, 2};
    }
    void createsAndInstalls()
    {
        QFETCH(bool, restart);
        QFETCH(QList<int>, modes);
        PhoneWindow pw(11);
        QTemporaryDir local;
        const QString jar = local.filePath(u"game.jar"_qs), jad = local.filePath(u"game.jad"_qs);
        QVERIFY(jarfile::makeJar(jar, 1234, kManifest, QByteArray(500, 'z')));
        QPointer<InstallerWindow> w = new InstallerWindow(*pw.w, jar, jad, {});
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        auto *install = w->findChild<QPushButton *>(u"BitBtn1"_qs);
        QVERIFY(!install->isEnabled());
        w->findChild<QPushButton *>(u"Button1"_qs)->click();
        QTRY_COMPARE(bytesOf(jad), QByteArray("MIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: game.jar\r\n") + kManifest);
        // No kind chosen yet: nothing to install.
        QVERIFY(!install->isEnabled());
        w->findChild<QRadioButton *>(u"Radio1"_qs)->setChecked(true);
        QVERIFY(install->isEnabled());
        install->click();
        QVERIFY(w->running());
        QVERIFY(!install->isEnabled());
        QMessageBox *box = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((box = w ? w->findChild<QMessageBox *>() : nullptr) != nullptr, 20000);
        QVERIFY(box->text().contains(pw.w->message(settings::Msg::InstallFinishedRestart)));
        box->button(restart ? QMessageBox::Yes : QMessageBox::No)->click();
        QTRY_VERIFY(!w);
        QTRY_COMPARE(pw.phone.diag()->modeChanges(), modes);
        QTRY_COMPARE(pw.w->connection().isConnected(), !restart);
        const QString games = pw.phone.brewRoot() + u"/brew/mod/java_ams/config/games/"_qs;
        QCOMPARE(bytesOf(games + u"game.jar"_qs), bytesOf(jar));
        QCOMPARE(bytesOf(games + u"game.jad"_qs), bytesOf(jad));
    }
};

VANDREL_TEST(InstallerWindowTest)

#endif

#include "tst_installerwindow.moc"
