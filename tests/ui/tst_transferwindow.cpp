#include "common/testmain.h"

#include <channel/fakeserialchannel.h>
#include <link/obextransfer.h>
#include <link/phonelink.h>
#include <ui/questionasker.h>
#include <ui/transferwindow.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace vandrel;

Q_DECLARE_METATYPE(vandrel::link::Answer)
Q_DECLARE_METATYPE(vandrel::link::TransferPhase)

namespace {
// Texts "<N>", so a test sees which message worded what.
settings::MessageTable markedMessages()
{
    QStringList lines;
    for (int n = 0; n < settings::MessageTable::Count; ++n)
        lines << QStringLiteral("<%1>").arg(n);
    settings::MessageTable table;
    table.loadLines(lines);
    return table;
}

struct Rig {
    Rig()
    {
        modem = new channel::FakeSerialChannel;
        phone = std::make_unique<link::PhoneLink>(modem, new channel::FakeSerialChannel);
        phone->timing().escapePause = std::chrono::milliseconds(0);
        phone->timing().replyLimit = std::chrono::milliseconds(5000);
    }
    ui::TransferWindow *open(link::TransferRequest request = {})
    {
        if (request.phoneFolder.isEmpty())
            request.phoneFolder = {QStringLiteral("mmc")};
        if (request.captions.isEmpty())
            request.captions = {QStringLiteral("a.txt")};
        return ui::openTransferWindow(*phone, messages, ui::Access::Obex, request, &parent);
    }
    QWidget parent;
    channel::FakeSerialChannel *modem;
    std::unique_ptr<link::PhoneLink> phone;
    settings::MessageTable messages = markedMessages();
};

bool writtenContains(const channel::FakeSerialChannel &c, const QByteArray &bytes)
{
    return c.written().contains(bytes);
}
} // namespace

class TransferWindowTest : public QObject {
    Q_OBJECT
private slots:
    void looksLikeTheForm()
    {
        Rig rig;
        QVERIFY(!rig.modem->open());
        QPointer<ui::TransferWindow> w = rig.open();
        QCOMPARE(w->objectName(), QStringLiteral("TForm1"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Vandrel Controller"));
        QCOMPARE(w->upperLine()->objectName(), QStringLiteral("Label2"));
        QCOMPARE(w->lowerLine()->objectName(), QStringLiteral("Label1"));
        QCOMPARE(w->upperLine()->text(), QStringLiteral("Retrieving data. Plesase wait..."));
        QCOMPARE(w->progress()->objectName(), QStringLiteral("Progress"));
        QVERIFY(w->isModal() || w->windowModality() != Qt::NonModal);
        // Nothing goes out before the window is on screen.
        QVERIFY(rig.modem->written().isEmpty());
        QTRY_VERIFY(writtenContains(*rig.modem, "AT^SQWE=0\r"));
        w->reject();
        QTRY_VERIFY(!w);
    }

    // The caption, the lines and the bar follow the transfer's events, worded by the window.
    void showsProgress_data()
    {
        QTest::addColumn<link::TransferPhase>("phase");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<int>("barValue");
        QTest::addColumn<int>("barMaximum");
        using P = link::TransferPhase;
        QTest::newRow("small") << P::Downloading << "<67>" << qint64(4096) << qint64(10000) << 4096 << 10000;
        QTest::newRow("done") << P::Uploading << "<75>" << qint64(10000) << qint64(10000) << 10000 << 10000;
        QTest::newRow("past the end") << P::Deleting << "<68>" << qint64(12000) << qint64(10000) << 10000 << 10000;
        QTest::newRow("over 2 GiB") << P::Downloading << "<67>" << qint64(3) * 1024 * 1024 * 1024
                                    << qint64(4) * 1024 * 1024 * 1024 << 3 * 1024 * 1024 << 4 * 1024 * 1024;
        QTest::newRow("unknown size") << P::Downloading << "<67>" << qint64(5) << qint64(0) << 0 << 1;
    }
    void showsProgress()
    {
        QFETCH(link::TransferPhase, phase);
        QFETCH(QString, caption);
        QFETCH(qint64, value);
        QFETCH(qint64, maximum);
        QFETCH(int, barValue);
        QFETCH(int, barMaximum);
        Rig rig;
        QVERIFY(!rig.modem->open());
        QPointer<ui::TransferWindow> w = rig.open();
        QTRY_VERIFY(w->transfer());
        emit w->transfer()->phaseChanged(phase);
        emit w->transfer()->linesChanged({link::LinePrefix::From, QStringLiteral("mmc\\a.txt")},
                                         {link::LinePrefix::To, QStringLiteral("/tmp/a.txt")});
        emit w->transfer()->progressChanged(value, maximum);
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->upperLine()->text(), QStringLiteral("<70>      mmc\\a.txt"));
        QCOMPARE(w->lowerLine()->text(), QStringLiteral("<72>      /tmp/a.txt"));
        QCOMPARE(w->progress()->value(), barValue);
        QCOMPARE(w->progress()->maximum(), barMaximum);
        emit w->transfer()->linesChanged({}, {link::LinePrefix::None, QStringLiteral("mmc\\b.txt")});
        QCOMPARE(w->upperLine()->text(), QString());
        QCOMPARE(w->lowerLine()->text(), QStringLiteral("mmc\\b.txt"));
        w->reject();
        QTRY_VERIFY(!w);
    }

    // Failures the transfer leaves to the program's words.
    void wordsOutcomes_data()
    {
        QTest::addColumn<link::Outcome>("outcome");
        QTest::addColumn<QString>("text");
        using link::FailureKind;
        using link::Wording;
        QTest::newRow("space") << link::Outcome::failed(FailureKind::Refused, Wording::NotEnoughSpace) << "<83>";
        QTest::newRow("open") << link::Outcome::failed(FailureKind::LocalFile, Wording::CannotOpenFile, QStringLiteral("/x/a"))
                              << "<65>/x/a";
        QTest::newRow("no file") << link::Outcome::failed(FailureKind::NotFound, Wording::NoSuchPhoneFile, QStringLiteral("a"))
                                 << QStringLiteral("Daný soubor neexistuje!");
        QTest::newRow("own words") << link::Outcome::failed(FailureKind::Refused, QStringLiteral("The phone said no."))
                                   << "The phone said no.";
    }
    void wordsOutcomes()
    {
        QFETCH(link::Outcome, outcome);
        QFETCH(QString, text);
        QCOMPARE(ui::outcomeText(outcome, markedMessages()), text);
        QCOMPARE(ui::outcomeText(outcome, settings::MessageTable()).isEmpty(), false);
    }

    // Closing cancels at once: the rows are deselected, the work ends as cancelled, the port
    // is free again and a later wait on it is not cut short.
    void closingCancels()
    {
        Rig rig;
        QVERIFY(!rig.modem->open());
        QSignalSpy fatal(rig.phone.get(), &link::PhoneLink::fatalError);
        QPointer<ui::TransferWindow> w = rig.open();
        QSignalSpy cancelled(w.data(), &ui::TransferWindow::cancelRequested);
        QSignalSpy ended(w.data(), &ui::TransferWindow::finished);
        QTRY_VERIFY(writtenContains(*rig.modem, "AT^SQWE=0\r"));
        QVERIFY(rig.phone->isClaimed(link::PhoneLink::Port::Modem));
        w->close();
        QVERIFY(!w->isVisible());
        QCOMPARE(cancelled.size(), 1);
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(ended.first().first().value<link::Outcome>().isCancelled());
        QTRY_VERIFY(!w);
        QCOMPARE(fatal.size(), 0);
        QVERIFY(!rig.phone->isClaimed(link::PhoneLink::Port::Modem));
        QVERIFY(rig.modem->isOpen());
        rig.modem->clearWrites();
        auto later = rig.phone->atCommand(QByteArrayLiteral("AT"), std::chrono::milliseconds(300));
        const auto r = QCoro::waitFor(std::move(later));
        QCOMPARE(r.outcome.kind, link::FailureKind::TimeOut);
    }

    // A port that is gone ends in the fatal link error, which closes the window.
    void lostLinkIsFatal()
    {
        Rig rig;
        // As the main window has it: the loss is fatal where it happens; the window's own
        // failure that follows is the same loss and must not be reported again.
        link::PhoneLink *phone = rig.phone.get();
        QObject::connect(phone, &link::PhoneLink::portLost, phone,
                         [phone](link::PhoneLink::Port, const QString &why) { phone->fatalLinkError(why); });
        QSignalSpy fatal(phone, &link::PhoneLink::fatalError);
        QVERIFY(!rig.modem->open());
        QTimer::singleShot(50, rig.modem, &channel::FakeSerialChannel::hangUp);
        QPointer<ui::TransferWindow> w = rig.open();
        QSignalSpy ended(w.data(), &ui::TransferWindow::finished);
        QTRY_COMPARE(ended.size(), 1);
        // The fatal error closed the window first: its work ended as cancelled, not reported.
        QVERIFY(!ended.first().first().value<link::Outcome>().ok());
        QCOMPARE(fatal.size(), 1);
        QTRY_VERIFY(!w);
        QVERIFY(!rig.parent.findChild<QMessageBox *>(QStringLiteral("ErrorBox")));
    }

    // A silent phone: the wait ends within its limit with the time-out, also fatal.
    void silentPhoneTimesOut()
    {
        Rig rig;
        rig.phone->timing().replyLimit = std::chrono::milliseconds(200);
        QVERIFY(!rig.modem->open());
        QSignalSpy fatal(rig.phone.get(), &link::PhoneLink::fatalError);
        QPointer<ui::TransferWindow> w = rig.open();
        QSignalSpy ended(w.data(), &ui::TransferWindow::finished);
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended.first().first().value<link::Outcome>().kind, link::FailureKind::TimeOut);
        QCOMPARE(fatal.size(), 1);
        QVERIFY(!rig.modem->isOpen());
    }
};

class BoxQuestionAskerTest : public QObject {
    Q_OBJECT
private slots:
    // Each question: its words, its buttons and icon, and the answer of each button.
    void answers_data()
    {
        QTest::addColumn<int>("question"); // -1: replace, else a GoOnQuestion
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("button");
        QTest::addColumn<link::Answer>("answer");
        QTest::addColumn<int>("buttons");
        const int q = int(QMessageBox::Question);
        const int warn = int(QMessageBox::Warning);
        QTest::newRow("yes") << -1 << "mmc\\x<54>" << q << int(QMessageBox::Yes) << link::Answer::Yes << 5;
        QTest::newRow("no") << -1 << "mmc\\x<54>" << q << int(QMessageBox::No) << link::Answer::No << 5;
        QTest::newRow("yes to all") << -1 << "mmc\\x<54>" << q << int(QMessageBox::YesToAll) << link::Answer::YesToAll << 5;
        QTest::newRow("no to all") << -1 << "mmc\\x<54>" << q << int(QMessageBox::NoToAll) << link::Answer::NoToAll << 5;
        QTest::newRow("cancel") << -1 << "mmc\\x<54>" << q << int(QMessageBox::Cancel) << link::Answer::Cancel << 5;
        QTest::newRow("not removed") << int(link::GoOnQuestion::NotRemoved) << "mmc\\x<52>" << q << int(QMessageBox::Yes)
                                     << link::Answer::Yes << 3;
        QTest::newRow("not sent") << int(link::GoOnQuestion::NotSent) << "mmc\\x<82>" << q << int(QMessageBox::No)
                                  << link::Answer::No << 3;
        QTest::newRow("BREW folder") << int(link::GoOnQuestion::DeleteBrewFolder) << "<223>" << warn
                                     << int(QMessageBox::Cancel) << link::Answer::Cancel << 3;
    }
    void answers()
    {
        QFETCH(int, question);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(int, button);
        QFETCH(link::Answer, answer);
        QFETCH(int, buttons);
        QWidget parent;
        const settings::MessageTable messages = markedMessages();
        ui::BoxQuestionAsker asker(&parent, messages);
        const QString subject = QStringLiteral("mmc\\x");
        auto task = question < 0 ? asker.askReplace(subject) : asker.askGoOn(link::GoOnQuestion(question), subject);
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = parent.findChild<QMessageBox *>(QStringLiteral("QuestionBox"))));
        QCOMPARE(box->text(), text);
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(box->buttons().size(), buttons);
        QAbstractButton *b = box->button(QMessageBox::StandardButton(button));
        QVERIFY(b);
        b->click();
        QCOMPARE(QCoro::waitFor(std::move(task)), answer);
    }

    // The window behind the question goes away: the answer is Cancel.
    void parentGone()
    {
        auto *parent = new QWidget;
        const settings::MessageTable messages;
        ui::BoxQuestionAsker asker(parent, messages);
        auto task = asker.askReplace(QStringLiteral("x"));
        QTRY_VERIFY(parent->findChild<QMessageBox *>(QStringLiteral("QuestionBox")));
        delete parent;
        QCOMPARE(QCoro::waitFor(std::move(task)), link::Answer::Cancel);
    }
};

VANDREL_TEST(TransferWindowTest)
VANDREL_TEST(BoxQuestionAskerTest)
#include "tst_transferwindow.moc"
