// vandrel-cli phonebook pull, push and restore against vandrel-phone, and convert with vCard.
#include "common/testmain.h"
#include "cli/clitest.h"

#include <core/phonebook/pbmfile.h>

#include <QDir>
#include <QTest>

namespace {
using clitest::cli;
using clitest::Run;

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

class PtyPhone : public clitest::PtyPhone {
public:
    PtyPhone() { start(); }
    QString book() const { return root() + QStringLiteral("/brew-fs/pbm_master_v_20.dat"); }
    Run run(const QStringList &args, const QString &overwrite = QStringLiteral("yes")) const
    {
        return cli(QStringList{QStringLiteral("--diag"), diagLink(), QStringLiteral("--overwrite"), overwrite,
                               QStringLiteral("phonebook")} + args);
    }
};

QStringList backups()
{
    return QDir(vtest::home() + QStringLiteral("/backups")).entryList(QDir::Files, QDir::Name);
}

} // namespace

class CliPhonebookTest : public QObject {
    Q_OBJECT
private slots:
    // pull to each format, edit as JSON, push back: the phone has the edit, its old file is
    // kept as a backup, and restore puts that back byte for byte.
    void pullPushRestore()
    {
        PtyPhone phone;
        if (!phone.built())
            QSKIP("the virtual phone (vandrel-phone) is not built in this tree");
        QVERIFY(phone.running());
        const QByteArray before = fileBytes(phone.book());
        QVERIFY(!before.isEmpty());
        for (const char *name : {"book.dat", "book.vcf", "book.json", "book.csv", "book.xls"}) {
            const Run r = phone.run({QStringLiteral("pull"), phone.scratch(QString::fromLatin1(name))});
            QVERIFY2(r.exitCode == 0, r.err.constData());
        }
        QCOMPARE(fileBytes(phone.scratch(QStringLiteral("book.dat"))), before);
        QVERIFY(QString::fromUtf8(fileBytes(phone.scratch(QStringLiteral("book.vcf")))).contains(QStringLiteral("N:Novák;Jan")));

        QByteArray json = fileBytes(phone.scratch(QStringLiteral("book.json")));
        json.replace("\"Praha\"", "\"Brno\"");
        QVERIFY(putFile(phone.scratch(QStringLiteral("edited.json")), json));
        const QStringList backupsBefore = backups();
        const Run pushed = phone.run({QStringLiteral("push"), phone.scratch(QStringLiteral("edited.json"))});
        QVERIFY2(pushed.exitCode == 0, pushed.err.constData());
        QVERIFY2(pushed.err.contains("1 changed"), pushed.err.constData());
        const auto onPhone = vandrel::phonebook::DecodeAddressBook(fileBytes(phone.book())).contacts;
        QCOMPARE(onPhone.at(0).privateCity, QStringLiteral("Brno"));
        QStringList made = backups();
        for (const QString &b : backupsBefore)
            made.removeAll(b);
        QCOMPARE(made.size(), 1);
        const QString backup = vtest::home() + QStringLiteral("/backups/") + made.first();
        QCOMPARE(fileBytes(backup), before);

        const Run restored = phone.run({QStringLiteral("restore"), backup});
        QVERIFY2(restored.exitCode == 0, restored.err.constData());
        QCOMPARE(fileBytes(phone.book()), before);
        QVERIFY2(phone.anomalies().isEmpty(), phone.anomalies().constData());
    }

    // A table the phone cannot hold, or a file that must stay, stops the command before the
    // phone is touched.
    void refusals()
    {
        PtyPhone phone;
        if (!phone.built())
            QSKIP("the virtual phone (vandrel-phone) is not built in this tree");
        QVERIFY(phone.running());
        const QByteArray before = fileBytes(phone.book());
        const QString tooLong = phone.scratch(QStringLiteral("long.json"));
        QVERIFY(putFile(tooLong, "[{\"surname\":\"A\"},{\"firstName\":\"" + QByteArray(127, 'x') + "\"}]"));
        Run r = phone.run({QStringLiteral("push"), tooLong});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("contact 2") && r.err.contains("firstName"), r.err.constData());
        QCOMPARE(fileBytes(phone.book()), before);

        const QString kept = phone.scratch(QStringLiteral("kept.dat"));
        QVERIFY(putFile(kept, "mine"));
        r = phone.run({QStringLiteral("pull"), kept}, QStringLiteral("no"));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(fileBytes(kept), QByteArray("mine"));
        r = phone.run({QStringLiteral("push"), phone.scratch(QStringLiteral("book.csv"))});
        QCOMPARE(r.exitCode, 1);
    }

    // convert reads and writes vCard: .dat -> .vcf -> .dat keeps the file byte for byte.
    void convertThroughVCard()
    {
        QTemporaryDir dir;
        const QString json = dir.filePath(QStringLiteral("in.json"));
        QVERIFY(putFile(json, QStringLiteral(R"([{"surname":"Novák","firstName":"Jan","privateMobile":"602","birthday":"05.11.1975","group":2},
                                                  {"surname":"Петров","privateNotes":"řádek"}])").toUtf8()));
        const auto convert = [&](const char *in, const char *out) {
            return cli({QStringLiteral("--overwrite"), QStringLiteral("yes"), QStringLiteral("phonebook"), QStringLiteral("convert"),
                        dir.filePath(QString::fromLatin1(in)), dir.filePath(QString::fromLatin1(out))});
        };
        QCOMPARE(convert("in.json", "a.dat").exitCode, 0);
        QCOMPARE(convert("a.dat", "b.vcf").exitCode, 0);
        QCOMPARE(convert("b.vcf", "c.dat").exitCode, 0);
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("c.dat"))), fileBytes(dir.filePath(QStringLiteral("a.dat"))));
        QVERIFY(QString::fromUtf8(fileBytes(dir.filePath(QStringLiteral("b.vcf")))).contains(QStringLiteral("Петров")));
    }
};

VANDREL_TEST(CliPhonebookTest)
#include "tst_cli_phonebook.moc"
