#include "externaledit.h"

#include <core/explorer/desktopentry.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <filesystem>
#include <system_error>

namespace vandrel::ui {

namespace {

QSet<ExternalEdit *> &liveEdits()
{
    static QSet<ExternalEdit *> edits; // GUI thread only
    return edits;
}

std::filesystem::path fsPath(const QString &file)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(file.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(file).toStdString());
#endif
}

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
// The desktop's program for plain text, as its desktop entry says to start it.
EditorCommand desktopPlainTextProgram(const QString &file)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return {};
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!process.waitForFinished(2000) || process.exitCode() != 0) {
        process.kill();
        return {};
    }
    // Several ids may be given, separated by ";": the first one found wins.
    const QStringList ids = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &id : ids) {
        QFile desktopFile(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id.trimmed()));
        if (!desktopFile.open(QIODevice::ReadOnly))
            continue;
        const explorer::DesktopEntry entry = explorer::parseDesktopEntry(desktopFile.read(256 * 1024));
        // A terminal program would be started without a window to show it in.
        if (entry.hidden || entry.terminal)
            continue;
        QStringList command = explorer::desktopExecCommand(entry.exec, file);
        if (command.isEmpty() || QStandardPaths::findExecutable(command.first()).isEmpty())
            continue;
        const QString program = command.takeFirst();
        return {program, command};
    }
    return {};
}
#endif

EditorCommand platformTextEditor(const QString &file)
{
#if defined(Q_OS_WIN)
    return {QStringLiteral("notepad.exe"), {file}};
#elif defined(Q_OS_MACOS)
    return {QStringLiteral("open"), {QStringLiteral("-t"), file}};
#else
    if (EditorCommand desktop = desktopPlainTextProgram(file); !desktop.program.isEmpty())
        return desktop;
    for (const char *name : {"gnome-text-editor", "gedit", "kwrite", "kate", "mousepad", "pluma", "xed",
                             "featherpad", "leafpad", "geany"}) {
        const QString program = QString::fromLatin1(name);
        if (!QStandardPaths::findExecutable(program).isEmpty())
            return {program, {file}};
    }
    return {QStringLiteral("xdg-open"), {file}};
#endif
}

} // namespace

EditorCommand ExternalEdit::editorCommand(const QString &editor, const QString &file)
{
    bool platformEditor = editor.trimmed().isEmpty();
#ifndef Q_OS_WIN
    // The settings' default names the Windows editor; where it is not installed it means "the
    // text editor of this system".
    if (editor.compare(QLatin1String("notepad.exe"), Qt::CaseInsensitive) == 0 &&
        QStandardPaths::findExecutable(editor).isEmpty())
        platformEditor = true;
#endif
    if (platformEditor)
        return platformTextEditor(file);
    return {editor, {file}};
}

ExternalEdit::Stamp ExternalEdit::stampOf(const QString &file)
{
    std::error_code error;
    const std::filesystem::path path = fsPath(file);
    const auto time = std::filesystem::last_write_time(path, error);
    if (error)
        return {};
    const auto size = std::filesystem::file_size(path, error);
    const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch());
    return {true, qint64(since.count()), error ? -1 : qint64(size)};
}

ExternalEdit::ExternalEdit(const QString &file, Timing timing, QObject *parent)
    : QObject(parent), m_file(file), m_timing(std::move(timing)), m_before(stampOf(file))
{
    setObjectName(QStringLiteral("ExternalEdit"));
    liveEdits().insert(this);
}

ExternalEdit::~ExternalEdit()
{
    liveEdits().remove(this);
    if (m_process && m_process->state() != QProcess::NotRunning) {
        // The editor outlives us (the window closed first): killing it would lose the user's
        // unsaved work, so its process object is let go and cleans up when it ends.
        m_process->disconnect(this);
        m_process->setParent(nullptr);
        connect(m_process, &QProcess::finished, m_process, &QObject::deleteLater);
    }
}

ExternalEdit *ExternalEdit::start(const QString &editor, const QString &file, QObject *parent)
{
    return start(editor, file, parent, Timing{});
}

ExternalEdit *ExternalEdit::start(const QString &editor, const QString &file, QObject *parent, Timing timing)
{
    const QString absolute = QFileInfo(file).absoluteFilePath();
    // A new edit of a watched file takes the follow-up over: one save, one follow-up.
    for (ExternalEdit *other : liveEdits().values())
        if (other->m_watching && QFileInfo(other->m_file).absoluteFilePath() == absolute)
            other->finish();

    auto *edit = new ExternalEdit(file, std::move(timing), parent);
    if (!edit->launch(editorCommand(editor, file))) {
        delete edit;
        return nullptr;
    }
    return edit;
}

bool ExternalEdit::launch(const EditorCommand &command)
{
    if (command.program.isEmpty())
        return false;
    m_process = new QProcess(this);
    // The editor's output is not ours to read; forwarded, it can never fill a pipe and stall it.
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setProgram(command.program);
    m_process->setArguments(command.arguments);
    m_process->start();
    if (!m_process->waitForStarted())
        return false;
    m_running.start();
    connect(m_process, &QProcess::finished, this, &ExternalEdit::editorEnded);
    return true;
}

void ExternalEdit::editorEnded()
{
    const bool quick = m_running.elapsed() < m_timing.handOff.count();
    if (stampOf(m_file) != m_before)
        announceChange();
    else if (quick)
        startWatching();
    else
        finish();
}

void ExternalEdit::startWatching()
{
    m_watching = true;
    m_watcher = new QFileSystemWatcher(this);
    // Editors that save by writing a new file and renaming it replace the watched file: the
    // folder is watched too, and the file's time is checked besides.
    m_watcher->addPath(m_file);
    m_watcher->addPath(QFileInfo(m_file).absolutePath());
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(m_timing.settle);
    connect(m_settle, &QTimer::timeout, this, &ExternalEdit::checkWatched);
    const auto stir = [this] {
        if (!m_watcher->files().contains(m_file) && QFileInfo::exists(m_file))
            m_watcher->addPath(m_file);
        m_settle->start();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, stir);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, stir);
    m_poll = new QTimer(this);
    m_poll->setInterval(m_timing.poll);
    connect(m_poll, &QTimer::timeout, this, [this] {
        if (!m_settle->isActive())
            checkWatched();
    });
    m_poll->start();
    QTimer::singleShot(m_timing.watchLimit, this, &ExternalEdit::finish);
}

void ExternalEdit::checkWatched()
{
    if (m_done || stampOf(m_file) == m_before)
        return;
    m_watching = false;
    m_poll->stop();
    m_settle->stop();
    m_watcher->disconnect(this);
    announceChange();
}

void ExternalEdit::announceChange()
{
    beep();
    QTimer::singleShot(m_timing.beepGap, this, [this] {
        if (m_done)
            return;
        beep();
        emit changed(m_file);
        finish();
    });
}

void ExternalEdit::finish()
{
    if (m_done)
        return;
    m_done = true;
    m_watching = false;
    if (m_poll)
        m_poll->stop();
    if (m_settle)
        m_settle->stop();
    emit finished();
    deleteLater();
}

void ExternalEdit::beep()
{
    if (m_timing.beep)
        m_timing.beep();
    else
        QApplication::beep();
}

} // namespace vandrel::ui
