#include "common/testmain.h"
#include "peer.h"

#include <core/phonebook/exports.h>
#include <core/sms/smslist.h>
#include <core/xls/biffwriter.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;

namespace {

// The sheets every reader must show cell for cell.
QList<QList<QStringList>> sheets()
{
    QList<QList<QStringList>> all;

    QString joined;
    while (joined.size() < 700)
        joined += QStringLiteral("Dlouhá zpráva,\nřádek ");
    joined.truncate(700);
    const QList<QStringList> smsCells = {
        {QStringLiteral("1"), QStringLiteral("15.01.2007 08:30:00"), QStringLiteral("Novák, Jan"), QStringLiteral("+420602111222"),
         QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy")},
        {QStringLiteral("12"), QStringLiteral("16.01.2007 23:59:59"), QString(), QStringLiteral("Vandrel"),
         QStringLiteral("Cena 5€, \"uvozovky\"; středník")},
        {QStringLiteral("13+14+15+16+17"), QStringLiteral("17.01.2007 00:00:01"), QString(), QStringLiteral("602111222"), joined},
    };
    all.append(smsCells);

    phonebook::ContactList contacts;
    phonebook::ContactRecord a;
    for (int f = 0; f < phonebook::kFieldCount; ++f)
        a.setField(f, QStringLiteral("%1 ŠŤŽ šťž ÁČĎÉĚÍŇÓŘŮÚÝ áčďéěíňóřůúý").arg(phonebook::fieldName(f)));
    a.group = QStringLiteral("7");
    a.birthday = QStringLiteral("05.11.1975");
    phonebook::ContactRecord b;
    b.surname = QStringLiteral("Dvořák");
    b.privateMobile = QStringLiteral("+420 777 888 999");
    contacts << a << b;
    QList<QStringList> contactCells;
    for (const auto &c : contacts) {
        QStringList row;
        for (int col = 0; col <= 34; ++col)
            row.append(c.field(col < 2 ? col : col + 1));
        contactCells.append(row);
    }
    all.append(contactCells);
    return all;
}

QList<QByteArray> files()
{
    const auto s = sheets();
    QList<sms::SmsRow> smsRows;
    for (const QStringList &r : s[0]) {
        sms::SmsRow row;
        for (const QString &i : r[0].split(u'+'))
            row.indexes.append(i.toInt());
        row.stamp.text = r[1];
        row.name = r[2];
        row.number = r[3];
        row.text = r[4];
        smsRows.append(row);
    }
    phonebook::ContactList contacts;
    for (const QStringList &r : s[1]) {
        phonebook::ContactRecord c;
        for (int col = 0; col <= 34; ++col)
            c.setField(col < 2 ? col : col + 1, r[col]);
        contacts.append(c);
    }
    return {sms::smsBackupXls(smsRows).value().bytes, phonebook::WriteContactsXls(contacts).value().bytes};
}

QStringList writeAll(const QString &dir)
{
    QStringList paths;
    const auto bytes = files();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const QString path = QDir(dir).filePath(QStringLiteral("sheet%1.xls").arg(i));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes[i]) != bytes[i].size())
            return {};
        paths.append(path);
    }
    return paths;
}

QList<QStringList> trimmed(QList<QStringList> rows)
{
    for (QStringList &r : rows)
        while (!r.isEmpty() && r.last().isEmpty())
            r.removeLast();
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

// RFC 4180 fields as LibreOffice writes them.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(field);
            field.clear();
        } else if (c == u'\n') {
            row.append(field);
            field.clear();
            rows.append(row);
            row.clear();
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

} // namespace

class XlsPeerTest : public QObject {
    Q_OBJECT
private slots:
    void xlrdReadsEveryCell()
    {
        QTemporaryDir dir;
        const QStringList paths = writeAll(dir.path());
        QCOMPARE(paths.size(), qsizetype(2));
        QString why;
        const QJsonDocument answer = vtest::runPeer(QStringLiteral("xls_peer.py"),
                                                    QJsonDocument(QJsonObject{{QStringLiteral("files"), QJsonArray::fromStringList(paths)}}), &why);
        QVERIFY2(answer.isArray(), qPrintable(why));
        const auto expected = sheets();
        QCOMPARE(answer.array().size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QJsonObject sheet = answer.array()[i].toObject();
            QCOMPARE(sheet[QStringLiteral("encoding")].toString(), QStringLiteral("cp1250"));
            QList<QStringList> rows;
            for (const auto &r : sheet[QStringLiteral("rows")].toArray()) {
                QStringList cells;
                for (const auto &c : r.toArray())
                    cells.append(c.toString());
                rows.append(cells);
            }
            QCOMPARE(trimmed(rows), trimmed(expected[i]));
        }
    }

    // The CSV backup needs no peer: RFC 4180 as LibreOffice writes it is what parseCsv reads.
    void longJoinedMessageReadBackFromCsv()
    {
        QString text;
        while (text.size() < 700)
            text += QStringLiteral("Ahoj, \"ty\"\r\nkonec; ");
        text.truncate(700);
        const auto parts = sms::encodeMessage(QStringLiteral("420602123456"), 0xAA, text, false);
        QList<at::StoredMessage> messages;
        for (qsizetype i = 0; i < parts->size(); ++i)
            messages.append(at::StoredMessage{int(40 + i), 3, 0, parts->at(i).pdu});
        const auto listing = sms::buildRows(messages, {QStringLiteral("Eva, \"Evka\"$&@602123456;;;;")}, QDateTime(QDate(2026, 12, 8), QTime(3, 4, 5)));
        const QByteArray csv = sms::smsBackupCsv(listing.rows);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF#,Datum,Jméno,Číslo,Text\r\n"));
        QCOMPARE(parseCsv(QString::fromUtf8(csv.mid(3))),
                 (QList<QStringList>{sms::smsColumnCaptions(), {QStringLiteral("40+41+42+43+44"), QStringLiteral("08.12.2026 03:04:05"),
                                                                QStringLiteral("Eva, \"Evka\""), QStringLiteral("+420602123456"), text}}));
    }

    void libreOfficeReadsEveryCell()
    {
        QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (office.isEmpty())
            office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
        QVERIFY2(!office.isEmpty(), "LibreOffice (soffice) is not installed: install libreoffice-calc-nogui");
        QTemporaryDir dir;
        const QStringList paths = writeAll(dir.path());
        QCOMPARE(paths.size(), qsizetype(2));
        const QString out = QDir(dir.path()).filePath(QStringLiteral("csv"));

        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        p.setProcessEnvironment(env);
        // One conversion for all files: LibreOffice is slow to start.
        p.start(office, QStringList{QStringLiteral("-env:UserInstallation=file://") + QDir(dir.path()).filePath(QStringLiteral("profile")),
                                    QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                                    QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"), out}
                            + paths);
        QVERIFY2(p.waitForFinished(240000), "LibreOffice did not finish the conversion");
        QCOMPARE(p.exitCode(), 0);

        const auto expected = sheets();
        for (qsizetype i = 0; i < paths.size(); ++i) {
            QFile csv(QDir(out).filePath(QStringLiteral("sheet%1.csv").arg(i)));
            QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(csv.fileName() + QString::fromLocal8Bit(p.readAllStandardError())));
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8.decode(csv.readAll());
            QCOMPARE(trimmed(parseCsv(text)), trimmed(expected[i]));
        }
    }
};

VANDREL_TEST(XlsPeerTest)
#include "tst_xls_peer.moc"
