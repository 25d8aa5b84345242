// The "Adresář" tab against the virtual phone (random reply splitting): reading the book,
// editing, writing it back with its summary and backup, files in and out, and the questions
// that keep edits and files from being lost.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM
#include "ui/phonewindow.h"

#include <core/phonebook/exports.h>
#include <core/phonebook/pbmfile.h>
#include <core/phonebook/sidelines.h>
#include <ui/addressbook/addressbooktab.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>

using namespace phonewindow;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

struct BookWindow : PhoneWindow {
    AddressBookTab *book = nullptr;

    explicit BookWindow(quint32 seed, bool connect = true) : PhoneWindow(seed)
    {
        book = w->findChild<AddressBookTab *>(QStringLiteral("AddressBookTab"));
        w->tabs()->setCurrentIndex(MainWindow::AddressBook);
        if (connect)
            w->connection().toggleConnection();
    }
    bool connected()
    {
        return QTest::qWaitFor([&] { return w->connection().isConnected() && !w->connection().connectWindow(); }, 10000);
    }
    QString phoneBook() const { return phone.brewRoot() + QStringLiteral("/pbm_master_v_20.dat"); }
    void click(const char *button) { w->findChild<QPushButton *>(QString::fromLatin1(button))->click(); }
    // Answers the save or open dialog with `path` under the filter of index `filter`.
    bool choose(const char *dialogName, const QString &path, int filter = 0)
    {
        auto *dialog = visible<QFileDialog>(QString::fromLatin1(dialogName));
        if (!dialog)
            return false;
        dialog->selectNameFilter(dialog->nameFilters().at(filter));
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
        return true;
    }
    QLineEdit *edit(int n) const { return w->findChild<QLineEdit *>(QStringLiteral("LabeledEdit%1").arg(n)); }
    QStringList questions() const
    {
        QStringList out;
        for (QMessageBox *m : w->findChildren<QMessageBox *>(QStringLiteral("QuestionBox")))
            if (m->isVisible())
                out << m->text();
        return out;
    }
    bool readPhone(const QString &path, int filter = 0)
    {
        QSignalSpy done(book, &AddressBookTab::workDone);
        click("BitBtn1");
        return choose("SaveDialog1", path, filter) && (done.count() > 0 || done.wait(20000));
    }
};

} // namespace

class AddressBookTabTest : public QObject {
    Q_OBJECT
private slots:
    // The tab as users know it: eight columns, every field's edit, the two disabled ones, the
    // group list from "grp.vdl".
    void pagesAndGroups()
    {
        QVERIFY(putFile(vtest::home() + QStringLiteral("/grp.vdl"),
                        vandrel::phonebook::writeSideLines({QStringLiteral("0;Rodina"), QStringLiteral("1;Práce"), QStringLiteral("x")})));
        BookWindow bw(1, false);
        QCOMPARE(bw.book->view()->model()->columnCount(), 8);
        QCOMPARE(bw.book->view()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Příjmení, jméno"));
        for (int n = 1; n <= 35; ++n)
            QCOMPARE(bool(bw.edit(n)), n != 31);
        QVERIFY(!bw.edit(29)->isEnabled() && !bw.edit(30)->isEnabled());
        auto *groups = bw.w->findChild<QComboBox *>(QStringLiteral("ComboBox7"));
        QCOMPARE(groups->count(), 2);
        QCOMPARE(groups->itemText(1), QStringLiteral("Práce"));
        // A default-number button is there to press only beside a number.
        bw.edit(5)->setText(QStringLiteral("602"));
        QVERIFY(bw.w->findChild<QRadioButton *>(QStringLiteral("RadioButton7"))->isEnabled());
        QVERIFY(!bw.w->findChild<QRadioButton *>(QStringLiteral("RadioButton5"))->isEnabled());
        QFile::remove(vtest::home() + QStringLiteral("/grp.vdl"));
    }

    // Read, change one contact, write: the question shows what changes, the phone gets the new
    // book, its old one stays as a backup, and the reset question follows.
    void readEditWrite()
    {
        BookWindow bw(3);
        QVERIFY(bw.connected());
        const QByteArray before = fileBytes(bw.phoneBook());
        const QString local = bw.dir.filePath(QStringLiteral("kopie"));
        QVERIFY(bw.readPhone(local));
        QCOMPARE(fileBytes(local + QStringLiteral(".dat")), before);
        const auto &contacts = bw.book->table().contacts();
        QCOMPARE(contacts.size(), vandrel::phonebook::DecodeAddressBook(before).contacts.size());
        QCOMPARE(vandrel::phonebook::readSideLines(fileBytes(vtest::home() + QStringLiteral("/addr.vdl"))),
                 bw.book->table().recipients());

        bw.book->view()->selectRow(1);
        QCOMPARE(bw.edit(2)->text(), contacts.at(1).surname);
        bw.edit(12)->setText(QStringLiteral("Olomouc"));
        bw.click("BitBtn8");
        QCOMPARE(contacts.at(1).privateCity, QStringLiteral("Olomouc"));
        QSignalSpy done(bw.book, &AddressBookTab::workDone);
        bw.click("BitBtn3");
        QVERIFY(QTest::qWaitFor([&] { return !bw.questions().isEmpty(); }, 20000));
        QVERIFY2(bw.questions().first().contains(QStringLiteral("1 changed: ") + vandrel::phonebook::displayOf(contacts.at(1))),
                 qPrintable(bw.questions().join(u'\n')));
        QVERIFY(answer(bw.w.get(), QMessageBox::Yes));
        QVERIFY(QTest::qWaitFor([&] { return !bw.questions().isEmpty(); }, 20000));
        QVERIFY(answer(bw.w.get(), QMessageBox::No)); // message 218: no reset
        QVERIFY(done.count() > 0 || done.wait(10000));
        const auto onPhone = vandrel::phonebook::DecodeAddressBook(fileBytes(bw.phoneBook())).contacts;
        QCOMPARE(onPhone.at(1).privateCity, QStringLiteral("Olomouc"));
        const QStringList backups = QDir(vtest::home() + QStringLiteral("/backups")).entryList(QDir::Files);
        QVERIFY(!backups.isEmpty());
        bool kept = false;
        for (const QString &b : backups)
            kept |= fileBytes(vtest::home() + QStringLiteral("/backups/") + b) == before;
        QVERIFY(kept);
        QVERIFY2(bw.phone.anomalies().isEmpty(), qPrintable(bw.phone.anomalies().join(u'\n')));
    }

    // The phone refuses the write after the backup was read: the backup is offered, and Yes puts
    // the old file back byte for byte.
    void refusedWriteOffersTheBackup()
    {
        BookWindow bw(4);
        QVERIFY(bw.connected());
        const QByteArray before = fileBytes(bw.phoneBook());
        bw.edit(2)->setText(QStringLiteral("Nová"));
        bw.click("BitBtn7");
        QSignalSpy done(bw.book, &AddressBookTab::workDone);
        bw.click("BitBtn3");
        QVERIFY(QTest::qWaitFor([&] { return !bw.questions().isEmpty(); }, 20000));
        QVERIFY2(bw.questions().first().contains(QStringLiteral("1 added: Nová")), qPrintable(bw.questions().join(u'\n')));
        bw.phone.controls().refuseNextWrite();
        QVERIFY(answer(bw.w.get(), QMessageBox::Yes));
        QVERIFY(QTest::qWaitFor([&] { return !bw.questions().isEmpty(); }, 20000));
        QVERIFY2(bw.questions().first().contains(QStringLiteral("backups")), qPrintable(bw.questions().join(u'\n')));
        QVERIFY(answer(bw.w.get(), QMessageBox::Yes));
        QVERIFY(done.count() > 0 || done.wait(20000));
        QCOMPARE(fileBytes(bw.phoneBook()), before);
        QVERIFY2(bw.phone.anomalies().isEmpty(), qPrintable(bw.phone.anomalies().join(u'\n')));
    }

    // A read the phone refuses leaves an existing local file and the table as they were.
    void failedReadKeepsTheFile()
    {
        BookWindow bw(5);
        QVERIFY(bw.connected());
        const QString local = bw.dir.filePath(QStringLiteral("mine.dat"));
        QVERIFY(putFile(local, "old"));
        bw.phone.controls().refuseNextRead(10);
        QSignalSpy done(bw.book, &AddressBookTab::workDone);
        bw.click("BitBtn1");
        QVERIFY(bw.choose("SaveDialog1", local));
        QVERIFY(answer(bw.w.get(), QMessageBox::Yes)); // message 54: replace
        QVERIFY(done.count() > 0 || done.wait(20000));
        QCOMPARE(fileBytes(local), QByteArray("old"));
        QVERIFY(bw.book->table().contacts().isEmpty());
    }

    // Saved names take the filter's extension unless they end in exactly it.
    void savedFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("kontakty.CSV as CSV") << QStringLiteral("kontakty.CSV") << 1 << QStringLiteral("kontakty.CSV.csv");
        QTest::newRow("x.txt as .dat") << QStringLiteral("x.txt") << 0 << QStringLiteral("x.txt.dat");
        QTest::newRow("vCard") << QStringLiteral("lide") << 3 << QStringLiteral("lide.vcf");
    }
    void savedFileNames()
    {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QString, written);
        BookWindow bw(7, false);
        bw.edit(1)->setText(QStringLiteral("Jan"));
        bw.edit(5)->setText(QStringLiteral("602"));
        bw.click("BitBtn7");
        QCOMPARE(bw.book->table().contacts().size(), 1);
        QSignalSpy done(bw.book, &AddressBookTab::workDone);
        bw.click("BitBtn4");
        QVERIFY(bw.choose("SaveDialog1", bw.dir.filePath(name), filter));
        QVERIFY(done.count() > 0 || done.wait(5000));
        const QByteArray bytes = fileBytes(bw.dir.filePath(written));
        if (filter == 1)
            QCOMPARE(bytes, QByteArray(";Jan;602" + QByteArray(31, ';') + "\r"));
        else if (filter == 0)
            QCOMPARE(vandrel::phonebook::DecodeAddressBook(bytes).contacts.value(0).privateMobile, QStringLiteral("602"));
        else
            QVERIFY(bytes.startsWith("BEGIN:VCARD"));
    }

    // Edits neither saved nor written are asked about before a load replaces them and before
    // the program closes.
    void unsavedEditsAreAskedAbout()
    {
        BookWindow bw(9, false);
        bw.edit(2)->setText(QStringLiteral("Novák"));
        bw.click("BitBtn7");
        const QString other = bw.dir.filePath(QStringLiteral("other.dat"));
        QVERIFY(putFile(other, QByteArray()));
        QSignalSpy done(bw.book, &AddressBookTab::workDone);
        bw.click("BitBtn2");
        QVERIFY(bw.choose("OpenDialog", other));
        QVERIFY(answer(bw.w.get(), QMessageBox::No));
        QVERIFY(done.count() > 0 || done.wait(5000));
        QCOMPARE(bw.book->table().contacts().size(), 1);

        bw.w->close();
        QVERIFY(bw.w->isVisible());
        QVERIFY(answer(bw.w.get(), QMessageBox::No));
        QVERIFY(bw.w->isVisible());
        // Asked again once the first answer has been taken.
        QVERIFY(QTest::qWaitFor([&] {
            bw.w->close();
            return !bw.questions().isEmpty();
        }, 5000));
        QVERIFY(answer(bw.w.get(), QMessageBox::Yes));
        QVERIFY(QTest::qWaitFor([&] { return !bw.w->isVisible(); }, 5000));
    }
};

VANDREL_TEST(AddressBookTabTest)
#include "tst_addressbook_tab.moc"
#endif
