#include "common/testmain.h"

#include <ui/explorer/externaledit.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

using namespace vandrel::ui;
using namespace std::chrono_literals;

namespace {

// A temporary folder with the file to edit (its time well in the past, so that any write
// shows) and fake editors written as shell scripts.
struct Bench {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("note \"1\" 'a'.txt"));
    int beeps = 0;

    Bench()
    {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) {
            f.write("original\n");
            f.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), QFileDevice::FileModificationTime);
        }
    }

    QString editor(const char *name, const QByteArray &body, bool executable = true) const
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write("#!/bin/sh\n" + body + "\n");
        f.close();
        if (executable)
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }

    ExternalEdit::Timing timing(std::chrono::milliseconds handOff = 2000ms)
    {
        ExternalEdit::Timing t;
        t.handOff = handOff;
        t.beepGap = 20ms;
        t.settle = 50ms;
        t.poll = 100ms;
        t.watchLimit = 20s;
        t.beep = [this] { ++beeps; };
        return t;
    }

    QByteArray contents() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

// Waits for an edit to end; the number of `changed` it emitted, -1 when it did not end.
int changesUntilFinished(ExternalEdit *edit, QSignalSpy &changed)
{
    QSignalSpy finished(edit, &ExternalEdit::finished);
    if (!finished.wait(20000))
        return -1;
    return int(changed.size());
}

} // namespace

class ExternalEditTest : public QObject {
    Q_OBJECT
private slots:
    // The editor waited for changes the file (or not) and ends.
    void editorEnds_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("changes");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("closed without saving") << QByteArray("sleep 0.3") << false << QByteArray("original\n");
        QTest::newRow("only read") << QByteArray("cat \"$1\" >/dev/null; sleep 0.3") << false << QByteArray("original\n");
        QTest::newRow("saved") << QByteArray("printf 'edited\\n' > \"$1\"") << true << QByteArray("edited\n");
        QTest::newRow("appended") << QByteArray("printf more >> \"$1\"") << true << QByteArray("original\nmore");
        QTest::newRow("same text saved again") << QByteArray("printf 'original\\n' > \"$1\"") << true << QByteArray("original\n");
        QTest::newRow("saved through a new file")
            << QByteArray("printf new > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"") << true << QByteArray("new");
        QTest::newRow("emptied") << QByteArray(": > \"$1\"") << true << QByteArray();
        QTest::newRow("deleted") << QByteArray("rm \"$1\"") << true << QByteArray("<missing>");
        QTest::newRow("saved, then failed") << QByteArray("printf x >> \"$1\"; exit 3") << true << QByteArray("original\nx");
        QTest::newRow("saved, then killed") << QByteArray("printf x >> \"$1\"; kill -9 $$") << true << QByteArray("original\nx");
    }
    void editorEnds()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, changes);
        QFETCH(QByteArray, after);
        Bench bench;
        // A short hand-off time: an editor that ends later without a change is simply done.
        ExternalEdit *edit = ExternalEdit::start(bench.editor("ed", body), bench.file, this, bench.timing(100ms));
        QVERIFY(edit);
        QPointer<ExternalEdit> alive(edit);
        QSignalSpy changed(edit, &ExternalEdit::changed);
        int beepsAtChange = -1;
        connect(edit, &ExternalEdit::changed, this, [&] { beepsAtChange = bench.beeps; });
        QCOMPARE(changesUntilFinished(edit, changed), changes ? 1 : 0);
        if (changes) {
            QCOMPARE(changed.first().first().toString(), bench.file);
            QCOMPARE(beepsAtChange, 2);
        }
        QCOMPARE(bench.beeps, changes ? 2 : 0);
        QCOMPARE(bench.contents(), after);
        QTRY_VERIFY(alive.isNull()); // it deletes itself
    }

    // The file reaches the editor as one argument, whatever its name holds: no shell between.
    void fileIsOneArgument()
    {
        Bench bench;
        const QString log = bench.dir.filePath(QStringLiteral("args.log"));
        const QByteArray body = "printf '%s|%s' \"$#\" \"$1\" > '" + QFile::encodeName(log) + "'";
        ExternalEdit *edit = ExternalEdit::start(bench.editor("args", body), bench.file, this, bench.timing(0ms));
        QVERIFY(edit);
        QSignalSpy changed(edit, &ExternalEdit::changed);
        QCOMPARE(changesUntilFinished(edit, changed), 0);
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("1|") + bench.file);
    }

    void editorThatCannotStart_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("no such program") << 0;
        QTest::newRow("not executable") << 1;
        QTest::newRow("a folder") << 2;
    }
    void editorThatCannotStart()
    {
        QFETCH(int, kind);
        Bench bench;
        QString editor;
        if (kind == 0)
            editor = bench.dir.filePath(QStringLiteral("no-such-editor"));
        else if (kind == 1)
            editor = bench.editor("plain", "printf x >> \"$1\"", false);
        else
            editor = bench.dir.path();
        QVERIFY(!ExternalEdit::start(editor, bench.file, this, bench.timing()));
        QVERIFY(!findChild<ExternalEdit *>());
        QCOMPARE(bench.beeps, 0);
        QCOMPARE(bench.contents(), QByteArray("original\n"));
    }

    // An editor that hands the file to a running instance ends at once; the change that
    // instance makes later is still followed up, once.
    void handOffEditor_data()
    {
        QTest::addColumn<QByteArray>("later");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("written") << QByteArray("printf 'from the running instance' > \"$1\"") << QByteArray("from the running instance");
        QTest::newRow("saved through a new file")
            << QByteArray("printf swapped > \"$1.new\" && mv \"$1.new\" \"$1\"") << QByteArray("swapped");
        QTest::newRow("deleted") << QByteArray("rm \"$1\"") << QByteArray("<missing>");
        QTest::newRow("saved twice in a row")
            << QByteArray("printf a >> \"$1\"; printf b >> \"$1\"") << QByteArray("original\nab");
    }
    void handOffEditor()
    {
        QFETCH(QByteArray, later);
        QFETCH(QByteArray, after);
        Bench bench;
        const QString go = bench.dir.filePath(QStringLiteral("go"));
        // The background job waits for the test's signal, so the watch is surely on first.
        const QByteArray body = "( while [ ! -e '" + QFile::encodeName(go) + "' ]; do sleep 0.05; done; " + later +
                                " ) </dev/null >/dev/null 2>&1 &\nexit 0";
        ExternalEdit *edit = ExternalEdit::start(bench.editor("handoff", body), bench.file, this, bench.timing());
        QVERIFY(edit);
        QSignalSpy changed(edit, &ExternalEdit::changed);
        QSignalSpy finished(edit, &ExternalEdit::finished);
        QPointer<ExternalEdit> alive(edit);
        QTRY_VERIFY(alive && alive->isWatching());
        QCOMPARE(bench.beeps, 0);
        QVERIFY(changed.isEmpty());
        QFile(go).open(QIODevice::WriteOnly);
        QVERIFY(finished.wait(20000));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toString(), bench.file);
        QCOMPARE(bench.beeps, 2);
        QCOMPARE(bench.contents(), after);
    }

    // A hand-off whose file is never saved ends at the watch limit, quietly.
    void handOffWithoutSavingEndsAtTheLimit()
    {
        Bench bench;
        auto timing = bench.timing();
        timing.watchLimit = 300ms;
        ExternalEdit *edit = ExternalEdit::start(bench.editor("gone", "exit 0"), bench.file, this, timing);
        QVERIFY(edit);
        QSignalSpy changed(edit, &ExternalEdit::changed);
        QPointer<ExternalEdit> alive(edit);
        QTRY_VERIFY(alive && alive->isWatching());
        QCOMPARE(changesUntilFinished(edit, changed), 0);
        QCOMPARE(bench.beeps, 0);
    }

    // Editing the same file again takes over a running watch: one save, one follow-up.
    void newEditOfAWatchedFileTakesOver()
    {
        Bench bench;
        const QString handOff = bench.editor("handoff", "exit 0");
        ExternalEdit *first = ExternalEdit::start(handOff, bench.file, this, bench.timing());
        QVERIFY(first);
        QSignalSpy firstChanged(first, &ExternalEdit::changed);
        QSignalSpy firstFinished(first, &ExternalEdit::finished);
        QPointer<ExternalEdit> firstAlive(first);
        QTRY_VERIFY(firstAlive && firstAlive->isWatching());
        ExternalEdit *second = ExternalEdit::start(handOff, bench.file, this, bench.timing());
        QVERIFY(second);
        QCOMPARE(firstFinished.size(), 1);
        QSignalSpy secondChanged(second, &ExternalEdit::changed);
        QPointer<ExternalEdit> secondAlive(second);
        QTRY_VERIFY(secondAlive && secondAlive->isWatching());
        QFile f(bench.file);
        QVERIFY(f.open(QIODevice::Append));
        f.write("saved");
        f.close();
        QCOMPARE(changesUntilFinished(second, secondChanged), 1);
        QCOMPARE(firstChanged.size(), 0);
        QCOMPARE(bench.beeps, 2);
    }

    // Several edits run side by side, each following its own file.
    void severalAtOnce()
    {
        Bench one;
        Bench two;
        ExternalEdit *a = ExternalEdit::start(one.editor("ed", "sleep 0.4; printf x >> \"$1\""), one.file, this, one.timing(0ms));
        ExternalEdit *b = ExternalEdit::start(two.editor("ed", "sleep 0.2"), two.file, this, two.timing(0ms));
        QVERIFY(a && b);
        QSignalSpy aChanged(a, &ExternalEdit::changed);
        QSignalSpy bChanged(b, &ExternalEdit::changed);
        QSignalSpy aFinished(a, &ExternalEdit::finished);
        QSignalSpy bFinished(b, &ExternalEdit::finished);
        QTRY_VERIFY_WITH_TIMEOUT(aFinished.size() == 1 && bFinished.size() == 1, 20000);
        QCOMPARE(aChanged.size(), 1);
        QCOMPARE(bChanged.size(), 0);
        QCOMPARE(one.beeps, 2);
        QCOMPARE(two.beeps, 0);
    }

    // Going away while the editor runs leaves the editor running: the user's work is theirs.
    void editorOutlivesTheEdit()
    {
        Bench bench;
        const QString marker = bench.dir.filePath(QStringLiteral("still-running"));
        const QByteArray body = "sleep 0.5; printf $$ > '" + QFile::encodeName(marker) + "'";
        auto *owner = new QObject;
        QVERIFY(ExternalEdit::start(bench.editor("slow", body), bench.file, owner, bench.timing()));
        delete owner;
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 20000);
        QCOMPARE(bench.beeps, 0);
        // Its end is still collected (no zombie left behind).
        const auto editorPid = [&marker] {
            QFile f(marker);
            return f.open(QIODevice::ReadOnly) ? pid_t(f.readAll().toInt()) : pid_t(0);
        };
        QTRY_VERIFY(editorPid() > 0);
        const pid_t pid = editorPid();
        QVERIFY(pid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) != 0, 20000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void editorSetting_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<bool>("platform");
        QTest::newRow("a program") << QStringLiteral("/usr/bin/kate") << false;
        QTest::newRow("a program with blanks") << QStringLiteral("/opt/My Editor/edit") << false;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("blank") << QStringLiteral("  ") << true;
#ifndef Q_OS_WIN
        QTest::newRow("the Windows default") << QStringLiteral("notepad.exe") << true;
        QTest::newRow("the Windows default, other case") << QStringLiteral("NOTEPAD.EXE") << true;
#endif
    }
    void editorSetting()
    {
        QFETCH(QString, editor);
        QFETCH(bool, platform);
        const QString file = QStringLiteral("/tmp/VDLC/a b.txt");
        const EditorCommand command = ExternalEdit::editorCommand(editor, file);
        QVERIFY(!command.program.isEmpty());
        QVERIFY(command.arguments.contains(file));
        if (platform) {
            QVERIFY(command.program.compare(editor, Qt::CaseInsensitive) != 0);
        } else {
            QCOMPARE(command.program, editor);
            QCOMPARE(command.arguments, QStringList{file});
        }
    }
};

VANDREL_TEST(ExternalEditTest)
#include "tst_externaledit.moc"
