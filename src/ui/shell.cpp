#include "shell.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace vandrel::ui {

namespace {

bool desktopOpen(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

bool chooseProgram(const QString &path, QWidget *parent)
{
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("rundll32.exe"),
                                   {QStringLiteral("shell32.dll,OpenAs_RunDLL ") + path});
#else
    // No desktop-independent chooser exists here: pick the program by hand.
    const QString program = QFileDialog::getOpenFileName(parent, QObject::tr("Open with"), QStringLiteral("/usr/bin"));
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {path});
#endif
}

} // namespace

ShellServices &ShellServices::instance()
{
    static ShellServices services{desktopOpen, chooseProgram};
    return services;
}

bool openWithShell(const QString &path, QWidget *parent)
{
    auto &shell = ShellServices::instance();
    if (shell.openAssociated(path))
        return true;
    return shell.openWith(path, parent);
}

} // namespace vandrel::ui
