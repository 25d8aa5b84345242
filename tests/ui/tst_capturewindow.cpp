// The display capture window on the in-process virtual phone (random reply splitting).
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "integration/brewtransferrig.h"

#include <ui/capturewindow.h>

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using namespace vandrel::ui;
using brewrig::fileBytes;

namespace {

struct Rig {
    itest::PhoneRig phone;
    settings::MessageTable messages = brewrig::markedMessages();
    QWidget parent;
    QTemporaryDir local;
    CaptureWindow *window;

    explicit Rig(bool oneFile = false, quint32 seed = 3) : phone(seed)
    {
        (void)phone.diag->open();
        window = new CaptureWindow(*phone.link, messages, oneFile, &parent);
        window->show();
    }
    // The picture the phone made last, as it lies in its file system.
    QByteArray phonePicture() const { return fileBytes(phone.phone->brewRoot() + QStringLiteral("/DispCapture.bmp")); }
};

QImage bitmapImage(const QByteArray &bytes)
{
    QImage image;
    image.loadFromData(bytes, "BMP");
    return image;
}

} // namespace

class CaptureWindowTest : public QObject {
    Q_OBJECT
private slots:
    void takesOnePicture()
    {
        Rig rig;
        QSignalSpy ended(rig.window, &CaptureWindow::workEnded);
        rig.window->findChild<QAbstractButton *>(u"BitBtn2"_qs)->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QVERIFY(ended.first().first().value<link::Outcome>().ok());
        const QImage expected = bitmapImage(rig.phonePicture());
        QCOMPARE(expected.size(), QSize(240, 320));
        QCOMPARE(rig.window->picture(), expected);
        // Shown unscaled.
        QCOMPARE(rig.window->findChild<QLabel *>(u"Image1"_qs)->pixmap().size(), QSize(240, 320));
        // A single picture leaves no file behind on the computer.
        QCOMPARE(QDir(rig.local.path()).entryList(QDir::Files), QStringList());
        QVERIFY2(rig.phone.anomalies().isEmpty(), qPrintable(rig.phone.anomalies()));
    }

    void sequenceOfThree_data()
    {
        QTest::addColumn<bool>("oneFile");
        QTest::newRow("into a folder") << false;
        QTest::newRow("into one file (DCOneFile)") << true;
    }
    void sequenceOfThree()
    {
        QFETCH(bool, oneFile);
        Rig rig(oneFile);
        QList<QByteArray> made;
        // Stopped from the third picture: no fourth request goes out.
        QObject::connect(rig.window, &CaptureWindow::pictureShown, rig.window, [&] {
            made << rig.phonePicture();
            if (rig.window->taken() == 3)
                rig.window->stopSequence();
        });
        const QString target = oneFile ? rig.local.filePath(u"shots.bmp"_qs) : rig.local.path();
        rig.window->startSequence(target);
        QVERIFY(rig.window->running());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.window->running(), 20000);
        QCOMPARE(rig.window->taken(), 3);
        QCOMPARE(made.size(), 3);
        QVERIFY(made[0] != made[1] && made[1] != made[2]);
        const QStringList files = QDir(rig.local.path()).entryList(QDir::Files, QDir::Name);
        if (oneFile) {
            QCOMPARE(files, QStringList{u"shots.bmp"_qs});
            QCOMPARE(fileBytes(target), made.last());
        } else {
            QCOMPARE(files.size(), 3);
            QList<QByteArray> saved;
            for (const QString &f : files) {
                QVERIFY2(QRegularExpression(u"^\\d\\d\\.\\d\\d\\.\\d{4}_\\d\\d\\.\\d\\d\\.\\d\\d(_\\d)?\\.bmp$"_qs).match(f).hasMatch(),
                         qPrintable(f));
                saved << fileBytes(rig.local.filePath(f));
            }
            std::sort(saved.begin(), saved.end());
            std::sort(made.begin(), made.end());
            QCOMPARE(saved, made);
        }
        QCOMPARE(rig.window->findChild<QAbstractButton *>(u"BitBtn4"_qs)->text(), u"<217>"_qs);
        QVERIFY2(rig.phone.anomalies().isEmpty(), qPrintable(rig.phone.anomalies()));
    }

    void savesShownPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("bmp: the phone's bytes") << u"shot.bmp"_qs;
        QTest::newRow("png") << u"shot.PNG"_qs;
    }
    void savesShownPicture()
    {
        QFETCH(QString, name);
        Rig rig;
        rig.window->takePicture();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.window->running(), 20000);
        const QString path = rig.local.filePath(name);
        rig.window->saveShown(path);
        QTRY_VERIFY(QFileInfo::exists(path));
        QImage saved(path);
        QCOMPARE(saved.size(), QSize(240, 320));
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), rig.window->picture().convertToFormat(QImage::Format_RGB32));
        if (name.endsWith(u".bmp"_qs))
            QCOMPARE(fileBytes(path), rig.phonePicture());
        else
            QVERIFY(fileBytes(path).startsWith("\x89PNG"));
    }

    // An existing file is replaced only after Yes.
    void asksBeforeReplacing_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
    }
    void asksBeforeReplacing()
    {
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        Rig rig;
        rig.window->takePicture();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.window->running(), 20000);
        const QString path = rig.local.filePath(u"old.bmp"_qs);
        QVERIFY(brewrig::putFile(path, "old picture"));
        rig.window->saveShown(path);
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = rig.window->findChild<QMessageBox *>()) != nullptr);
        QVERIFY(box->text().startsWith(QDir::toNativeSeparators(path) + u"<54>"_qs));
        box->button(QMessageBox::StandardButton(answer))->click();
        if (replaced)
            QTRY_COMPARE(fileBytes(path), rig.phonePicture());
        else {
            QTest::qWait(50);
            QCOMPARE(fileBytes(path), QByteArray("old picture"));
        }
    }

    // A phone that never acknowledges: the window says so after the limit and is free again.
    void silentPhoneEndsWithMessage()
    {
        Rig rig;
        rig.phone.phone->controls().goSilentAt(u"diag capture"_qs);
        QSignalSpy ended(rig.window, &CaptureWindow::workEnded);
        rig.window->startSequence(rig.local.path());
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QCOMPARE(ended.first().first().value<link::Outcome>().kind, link::FailureKind::TimeOut);
        QTRY_VERIFY(rig.window->findChild<QMessageBox *>() != nullptr);
        QVERIFY(!rig.window->running());
        QVERIFY(rig.window->findChild<QAbstractButton *>(u"BitBtn2"_qs)->isEnabled());
        QCOMPARE(rig.window->taken(), 0);
    }

    // Closing in the middle of a sequence ends it; nothing more is asked of the phone.
    void closingEndsTheSequence()
    {
        Rig rig;
        QPointer<CaptureWindow> w = rig.window;
        QObject::connect(w, &CaptureWindow::pictureShown, w, [w] { w->reject(); });
        w->startSequence(rig.local.path());
        QTRY_VERIFY_WITH_TIMEOUT(!w->running(), 20000);
        const int files = QDir(rig.local.path()).entryList(QDir::Files).size();
        QTest::qWait(200);
        QCOMPARE(QDir(rig.local.path()).entryList(QDir::Files).size(), files);
        QCOMPARE(w->taken(), 1);
    }
};

VANDREL_TEST(CaptureWindowTest)

#endif

#include "tst_capturewindow.moc"
