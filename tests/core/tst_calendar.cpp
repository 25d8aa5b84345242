#include "common/testmain.h"

#include "peer.h"

#include <core/calendar/icalendar.h>
#include <core/calendar/vcalendar.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

using namespace vandrel::calendar;

namespace {
QByteArray wrap(const QByteArray &body, const QByteArray &eol = "\r\n")
{
    QByteArray lines = body;
    lines.replace("\n", eol);
    return "BEGIN:VCALENDAR" + eol + "VERSION:1.0" + eol + lines + "END:VCALENDAR" + eol;
}

QDateTime utc(int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC); }

// The phone's own events as read, and the cases a calendar program must still read right.
QList<CalendarEvent> exportCases()
{
    QList<CalendarEvent> events =
        ReadVCalendar(wrap("BEGIN:VEVENT\nUID:1\nDTSTART:20070115T083000Z\nDTEND:20070115T093000Z\nDALARM:20070115T081500Z\n"
                           "SUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Sch=C5=AFzka\nEND:VEVENT\n"
                           "BEGIN:VEVENT\nUID:2\nDTSTART:20070320T233000Z\nDTEND:20070321T003000Z\nAALARM:20070320T230000Z\n"
                           "SUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:No=C4=8Dn=C3=AD vlak do Ko=C5=A1ic\nEND:VEVENT\n"))
            ->events;
    CalendarEvent folded; // no end; every character that needs escaping; long enough to fold inside multi-byte characters
    folded.uid = QStringLiteral("3");
    folded.start = utc(2007, 4, 2, 9, 0);
    folded.summary = QStringLiteral("Porada, body; rozpočet\\plán\nřádek 2 ") + QString(60, u'ž') + QStringLiteral("\U0001F600") + QString(40, u'x');
    events << folded << events[0]; // the same event twice
    CalendarEvent noStart;
    noStart.summary = QStringLiteral("lost");
    CalendarEvent backwards;
    backwards.start = utc(2007, 5, 1, 10, 0);
    backwards.end = utc(2007, 5, 1, 9, 0);
    return events << noStart << backwards;
}

QJsonValue utcText(const QDateTime &t) { return t.isValid() ? QJsonValue(t.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"))) : QJsonValue(); }
} // namespace

class CalendarTest : public QObject {
    Q_OBJECT
private slots:
    void events_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::newRow("one event, Z ignored, hour on")
            << QByteArray("BEGIN:VEVENT\nUID:17\nDTSTART:20070115T083000Z\nDTEND:20070115T093000Z\nSUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Sch=C5=AFzka\nEND:VEVENT\n")
            << QList<QStringList>{{QStringLiteral("17"), QStringLiteral("15.01.2007"), QStringLiteral("9:30:00"), QStringLiteral("15.01.2007"),
                                   QStringLiteral("10:30:00"), QString(), QString(), QStringLiteral("Schůzka")}};
        QTest::newRow("alarm, midnight")
            << QByteArray("BEGIN:VEVENT\nUID:a:b\nDTSTART:20070228T000000\nDALARM:20070227T215500\nSUMMARY:=41hoj\nEND:VEVENT\n")
            << QList<QStringList>{{QStringLiteral("a:b"), QStringLiteral("28.02.2007"), QStringLiteral("1:00:00"), QString(), QString(), QString(),
                                   QStringLiteral("27.02.2007 22:55:00"), QStringLiteral("Ahoj")}};
        QTest::newRow("23 o'clock carries into the next day, month and year")
            << QByteArray("BEGIN:VEVENT\nDTSTART:20071231T233000\nDTEND:20080228T231500\nSUMMARY:Cafe bar\nEND:VEVENT\n")
            << QList<QStringList>{{QString(), QStringLiteral("01.01.2008"), QStringLiteral("0:30:00"), QStringLiteral("29.02.2008"),
                                   QStringLiteral("0:15:00"), QString(), QString(), QStringLiteral("Cafe bar")}};
        QTest::newRow("every soft line break joined")
            << QByteArray("BEGIN:VEVENT\nSUMMARY;ENCODING=QUOTED-PRINTABLE:P=C5=99=\n=C3=AD=\nli=C5=A1\nEND:VEVENT\n")
            << QList<QStringList>{{QString(), QString(), QString(), QString(), QString(), QString(), QString(), QStringLiteral("Příliš")}};
        QTest::newRow("properties before the first event ignored, two events")
            << QByteArray("PRODID:x\nUID:lost\nBEGIN:VEVENT\nUID:1\nEND:VEVENT\nBEGIN:VEVENT\nUID:2\nEND:VEVENT\n")
            << QList<QStringList>{{QStringLiteral("1"), QString(), QString(), QString(), QString(), QString(), QString(), QString()},
                                  {QStringLiteral("2"), QString(), QString(), QString(), QString(), QString(), QString(), QString()}};
        QTest::newRow("no events") << QByteArray() << QList<QStringList>{};
        QTest::newRow("an audible alarm shown when there is no display alarm; alarm text after the time")
            << QByteArray("BEGIN:VEVENT\nAALARM;TYPE=WAVE:20070115T071500Z;;0;\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nAALARM:20070115T071500Z\nDALARM:20070115T073000Z;PT5M;2;Wake up\nEND:VEVENT\n"
                          "BEGIN:VEVENT\nDALARM:20070115T073000Z\nAALARM:20070115T071500Z\nEND:VEVENT\n")
            << QList<QStringList>{{QString(), QString(), QString(), QString(), QString(), QString(), QStringLiteral("15.01.2007 8:15:00"), QString()},
                                  {QString(), QString(), QString(), QString(), QString(), QString(), QStringLiteral("15.01.2007 8:30:00"), QString()},
                                  {QString(), QString(), QString(), QString(), QString(), QString(), QStringLiteral("15.01.2007 8:30:00"), QString()}};
        QTest::newRow("a to-do after an event changes nothing in it")
            << QByteArray("BEGIN:VEVENT\nUID:1\nSUMMARY:Event\nEND:VEVENT\nBEGIN:VTODO\nUID:2\nSUMMARY:Todo\nDTSTART:20070115T083000\nEND:VTODO\n")
            << QList<QStringList>{{QStringLiteral("1"), QString(), QString(), QString(), QString(), QString(), QString(), QStringLiteral("Event")}};
    }
    void events()
    {
        QFETCH(QByteArray, body);
        QFETCH(QList<QStringList>, rows);
        for (const QByteArray &eol : {QByteArray("\r\n"), QByteArray("\n")}) {
            const auto cal = ReadVCalendar(wrap(body, eol));
            QVERIFY2(cal.ok(), qPrintable(cal.error()));
            QList<QStringList> got;
            for (const CalendarEvent &e : cal->events)
                got.append(e.columns());
            QCOMPARE(got, rows);
            QVERIFY(cal->problems.isEmpty());
        }
        // Without the line end after the last line.
        QByteArray noFinalEol = wrap(body);
        noFinalEol.chop(2);
        QCOMPARE(ReadVCalendar(noFinalEol)->events.size(), rows.size());
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("version 2.0") << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n");
        QTest::newRow("no end") << QByteArray("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\n");
        QTest::newRow("lower case") << QByteArray("begin:vcalendar\r\nVERSION:1.0\r\nEND:VCALENDAR\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("partial download") << QByteArray("BEGIN:VCALENDAR\r\nVERS");
    }
    void rejected()
    {
        QFETCH(QByteArray, content);
        const auto cal = ReadVCalendar(content);
        QVERIFY(!cal.ok());
        QVERIFY(!cal.error().isEmpty());
    }

    void badTimes_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("short") << QByteArray("DTSTART:2007");
        QTest::newRow("no T") << QByteArray("DTSTART:20070115 083000");
        QTest::newRow("hour 24") << QByteArray("DTSTART:20070115T243000");
        QTest::newRow("13th month") << QByteArray("DTSTART:20071315T083000");
        QTest::newRow("letters") << QByteArray("DTSTART:2007011xT08300a");
        QTest::newRow("signed") << QByteArray("DTSTART:20070115T+83000");
    }
    void badTimes()
    {
        QFETCH(QByteArray, line);
        const auto cal = ReadVCalendar(wrap("BEGIN:VEVENT\n" + line + "\nEND:VEVENT\n"));
        QVERIFY(cal.ok());
        QCOMPARE(cal->events.size(), qsizetype(1));
        QCOMPARE(cal->events[0].date, QString());
        QCOMPARE(cal->problems.size(), qsizetype(1));
    }

    void summaryText_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("two-byte utf-8") << QByteArray("Sch=C5=AFzka") << QStringLiteral("Schůzka");
        QTest::newRow("lower-case hex") << QByteArray("=c5=af") << QStringLiteral("ů");
        QTest::newRow("three-byte utf-8") << QByteArray("=E2=82=AC 5") << QStringLiteral("€ 5");
        QTest::newRow("four-byte utf-8") << QByteArray("=F0=9F=8E=82 party") << QStringLiteral("\U0001F382 party");
        QTest::newRow("equals sign not followed by hex") << QByteArray("1+1=2") << QStringLiteral("1+1=2");
        QTest::newRow("equals at the end") << QByteArray("a=") << QStringLiteral("a=");
        QTest::newRow("not utf-8 reads as cp1250") << QByteArray("=E8aj") << QStringLiteral("čaj");
        QTest::newRow("plain") << QByteArray("Cafe bar") << QStringLiteral("Cafe bar");
    }
    void summaryText()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, text);
        QCOMPARE(DecodeSummaryText(value), text);
    }

    void typedTimesAndDays()
    {
        const auto cal = ReadVCalendar(wrap("BEGIN:VEVENT\nDTSTART:20071231T233000Z\nDTEND:20080101T010000Z\nDALARM:20071231T230000Z\nEND:VEVENT\n"
                                            "BEGIN:VEVENT\nDTSTART:20080101T120000\nEND:VEVENT\n"
                                            "BEGIN:VEVENT\nSUMMARY:no start\nEND:VEVENT\n"
                                            "BEGIN:VEVENT\nDTSTART:20071231T100000Z\nEND:VEVENT\n"));
        QCOMPARE(cal->events.size(), qsizetype(4));
        QCOMPARE(cal->events[0].start, utc(2007, 12, 31, 23, 30));
        QCOMPARE(cal->events[0].end, utc(2008, 1, 1, 1, 0));
        QCOMPARE(cal->events[0].alarmTime, utc(2007, 12, 31, 23, 0));
        QCOMPARE(cal->events[0].start.timeSpec(), Qt::UTC);
        // Bold days follow the "Datum" column: 23:30 on New Year's Eve is listed on the 1st.
        const QMap<QDate, QList<qsizetype>> days{{QDate(2007, 12, 31), {3}}, {QDate(2008, 1, 1), {0, 1}}};
        QCOMPARE(eventRowsByDay(cal->events), days);
    }

    void iCalendarExport()
    {
        const QList<CalendarEvent> events = exportCases();
        const ICalendarFile ics = writeICalendar(events, utc(2026, 1, 2, 3, 4));
        QCOMPARE(ics.problems.size(), qsizetype(2)); // no start; ends before it starts
        // Exported again later only the time stamp differs: the UIDs are stable.
        QCOMPARE(writeICalendar(events, utc(2027, 6, 7, 8, 9)).bytes.replace("20270607T080900Z", "20260102T030400Z"), ics.bytes);
        const QList<QByteArray> lines = ics.bytes.split('\n');
        QCOMPARE(lines.last(), QByteArray());
        for (const QByteArray &line : lines.first(lines.size() - 1)) {
            QStringDecoder utf8(QStringDecoder::Utf8);
            utf8.decode(line);
            QVERIFY2(line.endsWith('\r') && line.size() - 1 <= 75 && !utf8.hasError(), line.constData()); // folded, no character cut
        }

        QString why;
        const QJsonDocument answer = vtest::runPeer(QStringLiteral("../core/icalendar_peer.py"),
                                                    QJsonDocument(QJsonObject{{QStringLiteral("ics"), QString::fromUtf8(ics.bytes)}}), &why);
        QVERIFY2(answer.isObject(), qPrintable(why));
        QCOMPARE(answer[QStringLiteral("errors")].toArray(), QJsonArray());
        QJsonArray expected;
        for (const CalendarEvent &e : events)
            if (e.start.isValid())
                expected.append(QJsonArray{utcText(e.start), e.end >= e.start ? utcText(e.end) : QJsonValue(), e.summary,
                                           e.alarmTime.isValid() ? QJsonArray{QJsonValue(QJsonArray{QStringLiteral("DISPLAY"), utcText(e.alarmTime), e.summary})}
                                                                 : QJsonArray()});
        QCOMPARE(answer[QStringLiteral("events")].toArray(), expected);
        QCOMPARE(answer[QStringLiteral("uids")].toInt(), expected.size());
    }

    void randomInputNeverCrashes()
    {
        QRandomGenerator rng(11);
        const QByteArray alphabet = "BEGIN:VEVENTUIDSTARDALMY0123456789T=\r\n;";
        for (int round = 0; round < 2000; ++round) {
            QByteArray body(rng.bounded(0, 200), '\0');
            for (auto &c : body)
                c = alphabet[rng.bounded(int(alphabet.size()))];
            const auto cal = ReadVCalendar(wrap(body + '\n'));
            QVERIFY(cal.ok());
            ReadVCalendar(body); // no frame at all: refused, never a crash
        }
    }
};

VANDREL_TEST(CalendarTest)
#include "tst_calendar.moc"
