// The SMS tab and the new-message notice against the virtual phone.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "phonewindow.h"

#include <core/phonebook/sidelines.h>
#include <ui/sms/composerwindow.h>
#include <ui/sms/noticewindow.h>
#include <ui/sms/smstab.h>

#include <QAbstractItemModelTester>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>

using namespace phonewindow;

namespace {

struct SmsWindow : PhoneWindow {
    SmsTab *sms = nullptr;

    explicit SmsWindow(quint32 seed, bool readSMS = false) : PhoneWindow(seed)
    {
        QFile book(vtest::home() + QStringLiteral("/addr.vdl"));
        if (book.open(QIODevice::WriteOnly))
            book.write(phonebook::writeSideLines({QStringLiteral("Ústředna$&@602;;;;"),
                                                  QStringLiteral("Jan Novák$&@602123456;;;;")}));
        book.close();
        sms = w->findChild<SmsTab *>(QStringLiteral("SmsTab"));
        w->appSettings().readSMS = readSMS;
        emit w->settingsApplied();
        // New-message notices are switched on by the connect sequence of the explorer.
        if (readSMS)
            return;
        w->tabs()->setCurrentIndex(MainWindow::Sms);
        w->connection().toggleConnection();
    }
    bool list(const char *radio)
    {
        if (!QTest::qWaitFor([&] { return w->connection().isConnected() && !w->connection().connectWindow(); }, 10000))
            return false;
        w->findChild<QRadioButton *>(QString::fromLatin1(radio))->setChecked(true);
        QSignalSpy done(sms, &SmsTab::listed);
        w->findChild<QPushButton *>(QStringLiteral("bNacist"))->click();
        return done.wait(10000) || done.count() == 1;
    }
    int rowOf(const QString &indexes) const
    {
        for (int r = 0; r < sms->model()->rowCount(); ++r)
            if (sms->model()->row(r)->indexesText() == indexes)
                return r;
        return -1;
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < sms->model()->rowCount(); ++r)
            out << sms->model()->index(r, c).data().toString();
        return out;
    }
};

QString storedPdu(phonesim::VirtualPhone &phone, int index) { return QString::fromLatin1(phone.messageStore().at(index)->pdu); }

} // namespace

class SmsTabTest : public QObject {
    Q_OBJECT
private slots:
    void listSortAndPreview()
    {
        SmsWindow sw(3);
        QAbstractItemModelTester tester(sw.sms->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(sw.list("Radio2"));
        QVERIFY(sw.w->connection().isConnected());
        const QStringList numbers = sw.column(SmsTableModel::IndexColumn);
        // Joined rows show their first index; the deleted marker gives no row; sorted by "#".
        QVERIFY(numbers.contains(QStringLiteral("3")) && !numbers.contains(QStringLiteral("7")));
        QVERIFY(numbers.contains(QStringLiteral("12")) && !numbers.contains(QStringLiteral("4")));
        QVERIFY(!numbers.contains(QStringLiteral("8")));
        for (int i = 1; i < numbers.size(); ++i)
            QVERIFY(numbers[i - 1].toInt() < numbers[i].toInt());
        QCOMPARE(sw.sms->view()->currentIndex().row(), 0);

        // "Datum" sorts by the moment, whatever the text says; "Číslo" as text.
        auto *header = sw.sms->view()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(SmsTableModel::DateColumn) + 5, 5));
        const auto &rows = sw.sms->model()->rows();
        for (int i = 1; i < rows.size(); ++i)
            QVERIFY(!rows[i].stamp.when.isValid() || (rows[i - 1].stamp.when.isValid() && rows[i - 1].stamp.when <= rows[i].stamp.when));
        emit sw.sms->view()->horizontalHeader()->sectionClicked(SmsTableModel::NumberColumn);
        const QStringList byNumber = sw.column(SmsTableModel::NumberColumn);
        for (int i = 1; i < byNumber.size(); ++i)
            QVERIFY2(QString::localeAwareCompare(byNumber[i - 1].toCaseFolded(), byNumber[i].toCaseFolded()) <= 0,
                     qPrintable(byNumber.join(u' ')));

        // The preview of the first seeded message, named from the recipient list by its last nine digits.
        const int first = sw.rowOf(QStringLiteral("1"));
        sw.sms->view()->selectRow(first);
        const auto *head = sw.w->findChild<QHeaderView *>(QStringLiteral("HeadSMS"));
        QCOMPARE(head->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Jan Novák"));
        QCOMPARE(head->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("+420602123456"));
        QCOMPARE(head->model()->headerData(0, Qt::Horizontal).toString(), sw.sms->model()->row(first)->dateText());
        QVERIFY(sw.w->findChild<QTextEdit *>(QStringLiteral("RichSMS"))->toPlainText().startsWith(QStringLiteral("Cena 5€")));

        // The code of a joined message: both PDUs, selectable in the input box.
        sw.sms->view()->selectRow(sw.rowOf(QStringLiteral("3+7")));
        sw.w->findChild<QMenu *>(QStringLiteral("SMSPopUp"))->actions().first()->trigger();
        auto *code = sw.visible<QInputDialog>(QStringLiteral("InputBox"));
        QVERIFY(code);
        QCOMPARE(code->labelText(), QStringLiteral("Code: "));
        QCOMPARE(code->textValue(), storedPdu(sw.phone, 3) + u' ' + storedPdu(sw.phone, 7));
        code->reject();
        QVERIFY2(sw.phone.anomalies().isEmpty(), qPrintable(sw.phone.anomalies().join(u'\n')));
    }

    void deleteJoinedRow()
    {
        SmsWindow sw(5);
        QVERIFY(sw.list("Radio2"));
        const int row = sw.rowOf(QStringLiteral("12+4+9"));
        QVERIFY(row >= 0);
        sw.sms->view()->selectRow(row);
        QSignalSpy relisted(sw.sms, &SmsTab::listed);
        sw.w->findChild<QPushButton *>(QStringLiteral("button6"))->click();
        QVERIFY(answer(sw.w.get(), QMessageBox::Yes));
        QVERIFY(relisted.wait(10000));
        for (int index : {12, 4, 9})
            QVERIFY(!sw.phone.messageStore().at(index));
        QCOMPARE(sw.rowOf(QStringLiteral("12+4+9")), -1);
        QVERIFY(sw.rowOf(QStringLiteral("3+7")) >= 0);
    }

    // After a backup the user may delete what went into it, and nothing that came since.
    void backupThenDeleteWhatWasBackedUp()
    {
        SmsWindow sw(6);
        QVERIFY(sw.list("Radio1"));
        QList<int> backedUp;
        for (const auto &r : sw.sms->model()->rows())
            backedUp << r.indexes;
        QVERIFY(!backedUp.isEmpty());
        const QString path = sw.dir.filePath(QStringLiteral("zaloha"));
        sw.w->findChild<QPushButton *>(QStringLiteral("button10"))->click();
        auto *dialog = sw.visible<QFileDialog>(QStringLiteral("SaveSMS"));
        QVERIFY(dialog);
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
        QMessageBox *question = sw.visible<QMessageBox>(QStringLiteral("QuestionBox"));
        QVERIFY(question);
        QFile csv(path + QStringLiteral(".csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(csv.readAll());
        QVERIFY(text.contains(QStringLiteral("Příliš žluťoučký kůň")));
        const QList<int> arrived = sw.phone.receiveMessage(QStringLiteral("+420731987654"), QStringLiteral("Mezitím"));
        QVERIFY(answer(sw.w.get(), QMessageBox::Yes));
        QTRY_VERIFY_WITH_TIMEOUT(!sw.phone.messageStore().at(backedUp.last()), 10000);
        for (int index : backedUp)
            QVERIFY(!sw.phone.messageStore().at(index));
        QVERIFY(sw.phone.messageStore().at(arrived.first()));
    }

    // Text the Czech code page cannot hold: the user is told and may take the CSV instead.
    void xlsLossOffersCsv()
    {
        SmsWindow sw(7);
        QVERIFY(QTest::qWaitFor([&] { return sw.w->connection().isConnected(); }, 10000));
        sw.phone.receiveMessage(QStringLiteral("+420602123456"), QStringLiteral("Ahoj 😀 ☃"));
        QVERIFY(sw.list("Radio1"));
        const QString path = sw.dir.filePath(QStringLiteral("b.xls"));
        sw.w->findChild<QPushButton *>(QStringLiteral("button10"))->click();
        auto *dialog = sw.visible<QFileDialog>(QStringLiteral("SaveSMS"));
        QVERIFY(dialog);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
        QMessageBox *warning = sw.visible<QMessageBox>(QStringLiteral("QuestionBox"));
        QVERIFY(warning);
        QVERIFY(warning->text().startsWith(QStringLiteral("In 1 cells")));
        QVERIFY(answer(sw.w.get(), QMessageBox::Yes));
        QVERIFY(answer(sw.w.get(), QMessageBox::No)); // keep the messages on the phone
        QFile csv(sw.dir.filePath(QStringLiteral("b.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(csv.readAll()).contains(QStringLiteral("Ahoj 😀 ☃")));
        QVERIFY(!QFile::exists(path));
    }

    // Two messages arriving together give two notices, one after the other.
    void noticesOneAfterAnother()
    {
        SmsWindow sw(8, true);
        QVERIFY(sw.connectAndEnter());
        QVERIFY(sw.phone.modem().sms().indicationsOn());
        // The SMS tab takes the phone out of OBEX mode; the notices come on any tab.
        sw.w->tabs()->setCurrentIndex(MainWindow::Sms);
        QTest::qWait(100);
        sw.w->tabs()->setCurrentIndex(MainWindow::Calendar);
        sw.phone.receiveMessage(QStringLiteral("+420602123456"), QStringLiteral("První"));
        sw.phone.receiveMessage(QStringLiteral("+420777000111"), QStringLiteral("Druhá, s češtinou: ěščřžýáíé"));
        auto *first = sw.visible<NoticeWindow>(QStringLiteral("TForm10"));
        QVERIFY(first);
        QCOMPARE(first->text(), QStringLiteral("První"));
        QCOMPARE(first->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Jan Novák"));
        QCOMPARE(first->windowTitle(), sw.w->message(Msg::IncomingMessageCaption));
        QTest::qWait(200);
        QCOMPARE(sw.w->findChildren<NoticeWindow *>().size(), 1);
        // Forward: the composer gets the text; the notice goes when the composer does.
        sw.w->settingsStore().saveServiceCentre(QStringLiteral("+420603111222"));
        first->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        auto *composer = sw.visible<ComposerWindow>(QStringLiteral("TForm7"));
        QVERIFY(composer);
        QTRY_COMPARE(composer->findChild<QPlainTextEdit *>(QStringLiteral("RichSMS"))->toPlainText(), QStringLiteral("První"));
        QCOMPARE(sw.w->findChildren<NoticeWindow *>().size(), 1);
        composer->close();
        NoticeWindow *second = nullptr;
        QTRY_VERIFY((second = sw.visible<NoticeWindow>(QStringLiteral("TForm10"), 100)) && second->text() != QStringLiteral("První"));
        QCOMPARE(second->text(), QStringLiteral("Druhá, s češtinou: ěščřžýáíé"));
        QCOMPARE(second->number(), QStringLiteral("+420777000111"));
    }
};

VANDREL_TEST(SmsTabTest)
#include "tst_sms_tab.moc"

#endif
