#pragma once
// Editing a file in a program of the user's choice: the editor is started on the file, and when
// it has changed the file, two beeps and `changed` let the caller run its follow-up (write a
// phone file back, list a folder again). Nothing blocks while the editor runs; several edits may
// run at once.
//
// An editor that hands the file to an instance already running and ends at once (it ends
// within `Timing::handOff` without having changed the file) cannot be waited for: the file is
// then watched instead, until its first change or for `Timing::watchLimit`, whichever comes
// first. The limit is long enough for an editing session and keeps a forgotten watch from
// answering a save hours later; a new edit of the same file ends the old watch, so one save
// is never followed up twice.
//
// Opening a file with the desktop's own program for it ("open") is openWithShell (ui/shell.h).
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

class QFileSystemWatcher;
class QProcess;
class QTimer;

namespace vandrel::ui {

enum class EditMode { ComputerFile, BrewFile, ObexFile };

// A program and its arguments, the file among them.
struct EditorCommand {
    QString program;
    QStringList arguments;
};

class ExternalEdit : public QObject {
    Q_OBJECT
public:
    struct Timing {
        std::chrono::milliseconds handOff{2000};      // an editor ending sooner may have handed off
        std::chrono::milliseconds beepGap{1000};      // between the two beeps
        std::chrono::milliseconds settle{300};        // quiet time after a watched change
        std::chrono::milliseconds poll{1000};         // watched file: time check besides the watcher
        std::chrono::milliseconds watchLimit{std::chrono::hours(2)};
        std::function<void()> beep;                   // empty: the desktop's beep
    };

    // Starts `editor` (empty: the platform's text editor) on `file`; nullptr when it cannot start.
    static ExternalEdit *start(const QString &editor, const QString &file, QObject *parent);
    static ExternalEdit *start(const QString &editor, const QString &file, QObject *parent, Timing timing);

    // What `editor` stands for here. Empty, and on other systems than Windows also the Windows
    // default "notepad.exe" when no such program is installed, mean the platform's text editor:
    // on free desktops the desktop's program for plain text, else the first known graphical
    // editor installed, else the desktop's opener; "open -t" on macOS; notepad on Windows.
    // Any other text names one program, given the file as its one argument.
    static EditorCommand editorCommand(const QString &editor, const QString &file);

    ~ExternalEdit() override;

    QString file() const { return m_file; }
    // The editor ended at once and the file is being watched.
    bool isWatching() const { return m_watching; }

signals:
    void changed(const QString &file); // after the beeps; the caller runs its follow-up
    void finished();                   // editor ended / watch ended; the object deletes itself after

private:
    // What the comparison looks at: a missing file has no time (it counts as changed).
    struct Stamp {
        bool exists = false;
        qint64 modified = 0; // nanoseconds since the epoch
        qint64 size = 0;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    static Stamp stampOf(const QString &file);

    ExternalEdit(const QString &file, Timing timing, QObject *parent);
    bool launch(const EditorCommand &command);
    void editorEnded();
    void startWatching();
    void checkWatched();
    void announceChange();
    void finish();
    void beep();

    QString m_file;
    Timing m_timing;
    Stamp m_before;
    QProcess *m_process = nullptr;
    QElapsedTimer m_running;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QTimer *m_poll = nullptr;
    bool m_watching = false;
    bool m_done = false;
};

} // namespace vandrel::ui
