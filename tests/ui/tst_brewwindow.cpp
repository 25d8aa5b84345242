// The transfer window over the BREW file system on the in-process virtual phone, offscreen.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "integration/brewtransferrig.h"

#include <core/brew/paths.h>
#include <link/brewtransfer.h>
#include <ui/transferwindow.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace vandrel;
using namespace vandrel::ui;
using namespace std::chrono_literals;
using brewrig::allEntries;
using brewrig::fileBytes;
using brewrig::putFile;

namespace {

const auto kFinished = &TransferWindow::finished;

struct Rig {
    itest::PhoneRig phone;
    settings::MessageTable messages = brewrig::markedMessages();
    QWidget parent;
    QTemporaryDir local;

    explicit Rig(quint32 seed = 1) : phone(seed) { (void)phone.diag->open(); }
    QString brew(const QString &rel) const { return phone.phone->brewRoot() + QLatin1Char('/') + rel; }
    QString here(const QString &rel) const { return local.filePath(rel); }
    TransferWindow *open(link::TransferRequest request)
    {
        return openTransferWindow(*phone.link, messages, Access::Brew, std::move(request), &parent);
    }
    // A copy of phone rows into the test's local folder.
    link::TransferRequest download(const QString &brewPath, const QStringList &captions) const
    {
        link::TransferRequest r;
        r.op = link::TransferOp::Download;
        r.phoneFolder = brew::brewFolderNames(brewPath);
        r.captions = captions;
        r.localFolder = local.path();
        return r;
    }
};

QMessageBox *waitForBox(QWidget &parent, const QString &name)
{
    QMessageBox *box = nullptr;
    (void)QTest::qWaitFor([&] { return (box = parent.findChild<QMessageBox *>(name)) != nullptr; }, 5000);
    return box;
}

QStringList captionsOf(const link::BrewFolder &folder)
{
    QStringList out;
    for (const auto &e : folder.paneRows())
        out << e.caption();
    return out;
}

} // namespace

class BrewWindowTest : public QObject {
    Q_OBJECT
private slots:
    void looksLikeTheForm()
    {
        Rig rig;
        QPointer<TransferWindow> w = new TransferWindow(*rig.phone.link, rig.messages, Access::Brew, {}, &rig.parent);
        QCOMPARE(w->objectName(), u"TBrewForm"_qs);
        QCOMPARE(w->windowTitle(), u"Vandrel Controller Brew"_qs);
        QCOMPARE(w->upperLine()->objectName(), u"Label2"_qs);
        QCOMPARE(w->lowerLine()->objectName(), u"Label1"_qs);
        QCOMPARE(w->upperLine()->text(), u"Retrieving data. Plesase wait..."_qs);
        QCOMPARE(w->lowerLine()->text(), u"Retrieving data. Plesase wait..."_qs);
        QCOMPARE(w->progress()->objectName(), u"ProgressBar1"_qs);
        QCOMPARE(w->progress()->maximum(), 1000);
        QVERIFY(!w->isWorking());
        delete w;
        QVERIFY(rig.phone.diag->written().isEmpty());
    }

    // Nothing goes out before the window is shown; then a read fills the lines, the bar and
    // hands over the bytes after the window closed.
    void readsIntoMemory()
    {
        Rig rig(2);
        link::TransferRequest r;
        r.op = link::TransferOp::ReadFile;
        r.phoneFolder = QStringList{u"brew"_qs, u"mod"_qs, u"game"_qs};
        r.name = u"game.mif"_qs;
        r.localFile = rig.here(u"copy.mif"_qs);
        QPointer<TransferWindow> w = new TransferWindow(*rig.phone.link, rig.messages, Access::Brew, r, &rig.parent);
        QSignalSpy finished(w.data(), kFinished);
        QTest::qWait(20);
        QVERIFY(rig.phone.diag->written().isEmpty());
        w->setWindowModality(Qt::WindowModal);
        w->show();
        QTRY_COMPARE(finished.size(), 1);
        const auto outcome = finished.first().at(0).value<link::Outcome>();
        QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
        const QByteArray expected = fileBytes(rig.brew(u"brew/mod/game/game.mif"_qs));
        QCOMPARE(finished.first().at(1).toByteArray(), expected);
        QCOMPARE(fileBytes(r.localFile), expected);
        QTRY_VERIFY(!w);
        QVERIFY(rig.phone.anomalies().isEmpty());
    }

    // The awaited form, and the lines the read shows while it runs.
    void runAwaited()
    {
        Rig rig(3);
        link::TransferRequest r;
        r.op = link::TransferOp::ReadFile;
        r.name = u"pbm_master_v_20.dat"_qs;
        rig.phone.phone->controls().delayReplies(20, phonesim::Controls::Diag);
        auto task = runTransferWindow(*rig.phone.link, rig.messages, Access::Brew, r, &rig.parent);
        QPointer<TransferWindow> w = rig.parent.findChild<TransferWindow *>();
        QVERIFY(w);
        QTRY_VERIFY(w->isWorking());
        QCOMPARE(w->upperLine()->text(), u"<70>      pbm_master_v_20.dat"_qs);
        QCOMPARE(w->lowerLine()->text(), u"<72>      "_qs);
        const auto [outcome, memory] = QCoro::waitFor(std::move(task));
        QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
        QCOMPARE(memory, fileBytes(rig.brew(r.name)));
        QTRY_VERIFY(!w);
    }

    // Two folders: the warning box once, with the setting on; the new listing goes out.
    void deleteWarnsOnce_data()
    {
        QTest::addColumn<bool>("setting");
        QTest::newRow("warning on") << true;
        QTest::newRow("warning off") << false;
    }
    void deleteWarnsOnce()
    {
        QFETCH(bool, setting);
        Rig rig(4);
        QVERIFY(putFile(rig.brew(u"brew/shared/a/1.txt"_qs), "1"));
        QVERIFY(putFile(rig.brew(u"brew/shared/b/2.txt"_qs), "2"));
        link::TransferRequest r;
        r.op = link::TransferOp::Delete;
        r.phoneFolder = QStringList{u"brew"_qs, u"shared"_qs};
        r.captions = {u"[a]"_qs, u"[b]"_qs};
        r.folderWarning = setting;
        QPointer<TransferWindow> w = rig.open(r);
        QSignalSpy listed(w.data(), &TransferWindow::brewListed);
        QSignalSpy finished(w.data(), kFinished);
        int warnings = 0;
        while (finished.isEmpty()) {
            if (auto *box = rig.parent.findChild<QMessageBox *>(u"QuestionBox"_qs); box && box->isVisible()) {
                ++warnings;
                QCOMPARE(box->text(), u"<223>"_qs);
                QCOMPARE(box->icon(), QMessageBox::Warning);
                QCOMPARE(box->buttons().size(), 3);
                box->button(QMessageBox::Yes)->click();
            }
            QTest::qWait(5);
        }
        QCOMPARE(warnings, setting ? 1 : 0);
        QVERIFY(finished.first().at(0).value<link::Outcome>().ok());
        QVERIFY(!QFileInfo::exists(rig.brew(u"brew/shared/a"_qs)));
        QVERIFY(!QFileInfo::exists(rig.brew(u"brew/shared/b"_qs)));
        QCOMPARE(listed.size(), 1);
        const auto folder = listed.first().at(0).value<link::BrewFolder>();
        QCOMPARE(folder.path, u"brew/shared/"_qs);
        QVERIFY(!captionsOf(folder).contains(u"[a]"_qs));
        QTRY_VERIFY(!w);
        QVERIFY(rig.phone.anomalies().isEmpty());
    }

    // Closed in the middle of a copy from the phone: the window goes at once, the read in
    // transfer is dropped with no partial file, the folder is listed and the end reported.
    void closingMidCopy()
    {
        Rig rig(5);
        rig.phone.phone->controls().delayReplies(15, phonesim::Controls::Diag);
        QPointer<TransferWindow> w = rig.open(rig.download(u"brew/mod/game/"_qs, {u"game.mod"_qs, u"game.mif"_qs}));
        QSignalSpy listed(w.data(), &TransferWindow::brewListed);
        QSignalSpy finished(w.data(), kFinished);
        QTRY_VERIFY(w->progress()->value() > 2048);
        QVERIFY(w->upperLine()->text().startsWith(u"<70>      brew/mod/game/game.mod"_qs));
        QVERIFY(w->lowerLine()->text().startsWith(u"<72>      "_qs));
        w->close();
        QVERIFY(!w->isVisible());
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(finished.first().at(0).value<link::Outcome>().isCancelled());
        QCOMPARE(listed.size(), 1);
        QVERIFY(captionsOf(listed.first().at(0).value<link::BrewFolder>()).contains(u"game.mod"_qs));
        QCOMPARE(allEntries(rig.local.path()), QStringList());
        QVERIFY(!rig.phone.link->isClaimed(link::PhoneLink::Port::Diag));
        QTRY_VERIFY(!w);
        QVERIFY(!rig.parent.findChild<QMessageBox *>(u"ErrorBox"_qs));
        QVERIFY(rig.phone.anomalies().isEmpty());
    }

    // Closed before its work began: nothing goes to the phone, and the end is still reported.
    void closedBeforeTheStart()
    {
        Rig rig(10);
        QPointer<TransferWindow> w = rig.open(rig.download(u"brew/shared"_qs, {u"readme.txt"_qs}));
        QSignalSpy finished(w.data(), kFinished);
        w->close();
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(finished.first().at(0).value<link::Outcome>().isCancelled());
        QTRY_VERIFY(!w);
        QVERIFY(rig.phone.diag->written().isEmpty());
        QVERIFY(allEntries(rig.local.path()).isEmpty());
    }

    // Closing while an overwrite question is open answers it Cancel and ends the operation.
    void closingDuringAQuestion()
    {
        Rig rig(6);
        QVERIFY(putFile(rig.here(u"readme.txt"_qs), "mine"));
        QPointer<TransferWindow> w = rig.open(rig.download(u"brew/shared"_qs, {u"readme.txt"_qs}));
        QSignalSpy finished(w.data(), kFinished);
        QMessageBox *box = waitForBox(*w, u"QuestionBox"_qs);
        QVERIFY(box);
        QCOMPARE(box->text(), QDir::toNativeSeparators(rig.local.path() + u"/"_qs) + u"readme.txt<54>"_qs);
        QCOMPARE(box->buttons().size(), 5);
        w->close();
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(finished.first().at(0).value<link::Outcome>().isCancelled());
        QCOMPARE(fileBytes(rig.here(u"readme.txt"_qs)), QByteArray("mine"));
    }

    // A failure that is not the link's is shown in the error box; the folder is still listed.
    void refusalIsShown()
    {
        Rig rig(7);
        link::TransferRequest r;
        r.op = link::TransferOp::CreateFolder;
        r.phoneFolder = QStringList{u"brew"_qs};
        r.name = u"mod"_qs;
        QPointer<TransferWindow> w = rig.open(r);
        QSignalSpy listed(w.data(), &TransferWindow::brewListed);
        QSignalSpy finished(w.data(), kFinished);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(0).value<link::Outcome>().kind, link::FailureKind::Refused);
        QCOMPARE(listed.size(), 1);
        QVERIFY(rig.parent.findChild<QMessageBox *>(u"ErrorBox"_qs));
    }

    // The link lost: the fatal link error, no error box of the window's own.
    void lostLinkIsFatal()
    {
        Rig rig(8);
        rig.phone.phone->controls().dropLinkAfter(2000, phonesim::Controls::Diag);
        // As the main window has it: the loss is fatal where it happens; the window's own
        // failure that follows is the same loss and must not be reported again.
        link::PhoneLink *phone = rig.phone.link.get();
        QObject::connect(phone, &link::PhoneLink::portLost, phone,
                         [phone](link::PhoneLink::Port, const QString &why) { phone->fatalLinkError(why); });
        QSignalSpy fatal(phone, &link::PhoneLink::fatalError);
        QPointer<TransferWindow> w = rig.open(rig.download(u"brew/mod/game"_qs, {u"game.mod"_qs}));
        QSignalSpy finished(w.data(), kFinished);
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(!finished.first().at(0).value<link::Outcome>().ok());
        QCOMPARE(fatal.size(), 1);
        QTRY_VERIFY(!w);
        QVERIFY(!rig.parent.findChild<QMessageBox *>(u"ErrorBox"_qs));
        QVERIFY(allEntries(rig.local.path()).isEmpty());
    }

    // Writing one file from memory's temporary copy.
    void writesOneFile()
    {
        Rig rig(9);
        const QByteArray data = brewtest::pattern(1000);
        QVERIFY(putFile(rig.here(u"pbm.tmp"_qs), data));
        link::TransferRequest r;
        r.op = link::TransferOp::WriteFile;
        r.localFile = rig.here(u"pbm.tmp"_qs);
        r.phoneFolder = QStringList{u"brew"_qs, u"shared"_qs};
        r.name = u"pbm.dat"_qs;
        const auto [outcome, memory] =
            QCoro::waitFor(runTransferWindow(*rig.phone.link, rig.messages, Access::Brew, r, &rig.parent));
        QVERIFY2(outcome.ok(), qPrintable(outcome.detail));
        QVERIFY(memory.isEmpty());
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/pbm.dat"_qs)), data);
        QVERIFY(rig.phone.anomalies().isEmpty());
    }
};

VANDREL_TEST(BrewWindowTest)

#endif

#include "tst_brewwindow.moc"
