// The phone's address book read and written whole against the virtual phone, its replies
// split at random: the backup before a write, refusals before anything is sent, a write the
// phone refuses and the backup put back.
#include "common/testmain.h"
#include "integration/brewtransferrig.h"

#include <core/phonebook/pbmfile.h>
#include <link/brewtransfer.h>
#include <link/phonebookfiles.h>

#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using namespace vandrel::link;
using brewrig::fileBytes;
using brewrig::putFile;

namespace {

struct Rig {
    itest::PhoneRig phone;
    brewrig::ScriptedAsker asker;
    BrewTransfer transfer{*phone.link, asker};
    QTemporaryDir backups;
    TransferRunner run = [this](TransferRequest r) { return transfer.run(std::move(r)); };

    explicit Rig(quint32 seed) : phone(seed)
    {
        (void)phone.diag->open();
    }
    QString phoneFile() const { return phone.phone->brewRoot() + QLatin1Char('/') + kPhonebookPhoneName; }
    QStringList backupFiles() const { return brewrig::allEntries(backups.path()); }
};

// A record of the phone with an item the program does not know (id 0xFF50) between its fields.
QByteArray recordWithUnknownItem()
{
    auto item = [](quint16 id, quint8 type, const QByteArray &data) {
        return QByteArray(1, char(id & 0xFF)) + char(id >> 8) + char(type) + QByteArray(3, '\0') + char(data.size()) + '\0' + data;
    };
    const QByteArray items = item(0x0016, 6, QByteArray("602", 4)) + item(0x0003, 9, QByteArray::fromHex("4E000000")) +
                             item(0xFF50, 9, QByteArray::fromHex("78000000")) + item(0x0001, 9, QByteArray::fromHex("4A000000")) +
                             item(0xFF2C, 3, QByteArray::fromHex("16000000")) + item(0xFF3D, 5, QByteArray::fromHex("0100000000000000"));
    const int length = items.size() + 8;
    return QByteArray(1, char(length & 0xFF)) + char(length >> 8) + QByteArray::fromHex("01000B000000") + items;
}

phonebook::ContactList named(int count, const QString &name = QStringLiteral("A"))
{
    phonebook::ContactRecord c;
    c.surname = name;
    return phonebook::ContactList(count, c);
}

} // namespace

class PhonebookPhoneTest : public QObject {
    Q_OBJECT
private slots:
    // phone → table → phone: the phone's file comes back byte for byte, and the old one is kept.
    void roundTripIsByteIdentical_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("the seeded book") << QByteArray();
        QTest::newRow("a record with an unknown item") << recordWithUnknownItem();
    }
    void roundTripIsByteIdentical()
    {
        QFETCH(QByteArray, file);
        for (quint32 seed : {1u, 7u, 23u}) {
            Rig rig(seed);
            if (!file.isEmpty())
                QVERIFY(putFile(rig.phoneFile(), file));
            const QByteArray before = fileBytes(rig.phoneFile());
            QVERIFY(!before.isEmpty());
            const Result<QByteArray> read = QCoro::waitFor(readPhonebook(rig.run));
            QVERIFY2(read.ok(), qPrintable(read.outcome.detail));
            QCOMPARE(read.value, before);
            const auto book = phonebook::DecodeAddressBook(read.value);
            QVERIFY(!book.contacts.isEmpty());
            int asked = 0;
            ConfirmChanges confirm = [&asked](phonebook::ChangeSummary s) -> QCoro::Task<bool> {
                asked += s.changesNothing() ? 1 : 100;
                co_return true;
            };
            const PhonebookWrite w = QCoro::waitFor(writePhonebook(rig.run, book.contacts, rig.backups.path(), confirm));
            QVERIFY2(w.outcome.ok(), qPrintable(w.outcome.detail));
            QCOMPARE(asked, 1);
            QCOMPARE(fileBytes(rig.phoneFile()), before);
            QCOMPARE(fileBytes(w.backupFile), before);
            QVERIFY2(rig.phone.anomalies().isEmpty(), qPrintable(rig.phone.anomalies()));
        }
    }

    // A table the phone's file cannot hold is refused whole, naming contact and field, and
    // nothing goes to the phone: no backup read, no write.
    void refusedTableWritesNothing_data()
    {
        QTest::addColumn<phonebook::ContactList>("contacts");
        QTest::addColumn<QString>("named");
        QTest::newRow("246 contacts") << named(246) << QStringLiteral("246");
        phonebook::ContactList longName = named(3);
        longName[1].firstName = QString(127, u'x');
        QTest::newRow("127-character name") << longName << QStringLiteral("contact 2 (A, xxx");
    }
    void refusedTableWritesNothing()
    {
        QFETCH(phonebook::ContactList, contacts);
        QFETCH(QString, named);
        Rig rig(5);
        const QByteArray before = fileBytes(rig.phoneFile());
        const PhonebookWrite w = QCoro::waitFor(writePhonebook(rig.run, contacts, rig.backups.path(), {}));
        QVERIFY(w.outcome.isFailed());
        QCOMPARE(w.outcome.kind, FailureKind::Usage);
        QVERIFY(!w.problems.isEmpty());
        QVERIFY2(w.outcome.detail.contains(named), qPrintable(w.outcome.detail));
        if (contacts.size() <= phonebook::kMaxContacts)
            QVERIFY2(w.outcome.detail.contains(QStringLiteral("firstName")), qPrintable(w.outcome.detail));
        QVERIFY(rig.phone.diag->written().isEmpty());
        QVERIFY(rig.backupFiles().isEmpty());
        QCOMPARE(fileBytes(rig.phoneFile()), before);
    }

    // The phone refuses the write after the backup was taken: the backup is offered, and
    // writing it back puts the old file in place byte for byte.
    void refusedWriteOffersTheBackup()
    {
        Rig rig(11);
        const QByteArray before = fileBytes(rig.phoneFile());
        ConfirmChanges confirm = [&rig](phonebook::ChangeSummary) -> QCoro::Task<bool> {
            rig.phone.phone->controls().refuseNextWrite();
            co_return true;
        };
        const PhonebookWrite w = QCoro::waitFor(writePhonebook(rig.run, named(2, QStringLiteral("Nový")), rig.backups.path(), confirm));
        QVERIFY(w.outcome.isFailed());
        QVERIFY(w.offerRestore);
        QCOMPARE(fileBytes(w.backupFile), before);
        const Outcome restored = QCoro::waitFor(restorePhonebook(rig.run, w.backupFile));
        QVERIFY2(restored.ok(), qPrintable(restored.detail));
        QCOMPARE(fileBytes(rig.phoneFile()), before);
    }

    // A phone without a phonebook file is written without a backup; a cancelled question
    // writes nothing but keeps the backup made.
    void noFileNoBackupAndCancelWritesNothing()
    {
        Rig rig(13);
        QFile::remove(rig.phoneFile());
        const PhonebookWrite w = QCoro::waitFor(writePhonebook(rig.run, named(1), rig.backups.path(), {}));
        QVERIFY2(w.outcome.ok(), qPrintable(w.outcome.detail));
        QVERIFY(w.backupFile.isEmpty());
        const QByteArray written = fileBytes(rig.phoneFile());
        QCOMPARE(phonebook::DecodeAddressBook(written).contacts.size(), 1);
        ConfirmChanges no = [](phonebook::ChangeSummary s) -> QCoro::Task<bool> { co_return s.added.size() != 2; };
        const PhonebookWrite cancelled = QCoro::waitFor(writePhonebook(rig.run, named(3), rig.backups.path(), no));
        QVERIFY(cancelled.outcome.isCancelled());
        QCOMPARE(fileBytes(rig.phoneFile()), written);
        QCOMPARE(rig.backupFiles().size(), 1);
    }
};

VANDREL_TEST(PhonebookPhoneTest)
#include "tst_phonebook_phone.moc"
