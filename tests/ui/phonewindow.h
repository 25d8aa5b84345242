#pragma once
// A main window on the in-process virtual phone (random reply splitting), and waiting for the
// phone pane's listings.
#include "tst_explorer_helpers.h"

#include <core/explorer/direntry.h>
#include <link/processes.h>
#include <phone-sim/seed.h>
#include <phone-sim/virtualphone.h>
#include <ui/connection.h>
#include <ui/explorer/dirtablemodel.h>
#include <ui/explorer/explorertab.h>
#include <ui/explorer/quillview.h>
#include <ui/mainwindow.h>

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

namespace phonewindow {

using namespace vandrel;
using namespace vandrel::ui;
using namespace std::chrono_literals;
using explorer::DirEntry;

class NoProcesses final : public link::ProcessList {
public:
    QList<link::ProcessInfo> snapshot() const override { return {}; }
    bool terminate(qint64) override { return false; }
};

inline QString scratch()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath()) + QStringLiteral("/vexplorer-XXXXXX");
}

struct PhoneWindow {
    QTemporaryDir dir{scratch()};
    phonesim::VirtualPhone phone{dir.filePath(QStringLiteral("phone"))};
    NoProcesses processes;
    std::unique_ptr<MainWindow> w;
    ExplorerTab *tab = nullptr;

    explicit PhoneWindow(quint32 seed)
    {
        const auto ends = phone.plugInProcess();
        phone.controls().splitRandomly(seed);
        auto phoneLink = std::make_unique<link::PhoneLink>(ends.modem, ends.diag);
        auto &t = phoneLink->timing();
        t.escapePause = 1ms;
        t.escapeGuard = 5ms;
        t.openRetry = 5ms;
        w = std::make_unique<MainWindow>(std::move(phoneLink));
        w->connection().setProcessList(&processes);
        w->create();
        w->show();
        tab = w->findChild<ExplorerTab *>(QStringLiteral("ExplorerTab"));
    }
    ~PhoneWindow() { w.reset(); }

    // Connects; with a folder name, goes into that folder of the root.
    bool connectAndEnter(const QString &folder = {});
    // Connects in BREW access and walks into `folders`, one after the other.
    bool connectBrewInto(const QStringList &folders);

    // The rows the phone pane must show for a folder on the phone's disk, in pane order.
    QStringList expectedCaptions(const QString &relative) const
    {
        QList<DirEntry> rows;
        if (!relative.isEmpty())
            rows << DirEntry::parent();
        const QDir d(phonesim::obexRootOf(dir.filePath(QStringLiteral("phone"))) + QLatin1Char('/') + relative);
        for (const QFileInfo &i : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            rows << (i.isDir() ? DirEntry::folder(i.fileName()) : DirEntry::file(i.fileName(), QString::number(i.size())));
        explorer::sortRows(rows);
        QStringList out;
        for (const DirEntry &r : rows)
            out << r.caption();
        return out;
    }
    // The visible child of the window named `name` (any name when empty), once there is one.
    template <class T>
    T *visible(const QString &name = {}, int waitMs = 5000) const
    {
        T *found = nullptr;
        (void)QTest::qWaitFor([&] {
            for (T *t : w->findChildren<T *>(name))
                if (t->isVisible())
                    found = t;
            return found != nullptr;
        }, waitMs);
        return found;
    }
};



// Waits for the phone pane's listing to end (the hourglass goes away and rows are there).
inline bool listed(const ExplorerTab *tab)
{
    return QTest::qWaitFor([&] {
        return tab->phoneView()->cursor().shape() != Qt::WaitCursor && tab->phoneModel()->rowCount() > 0;
    }, 20000);
}

inline bool PhoneWindow::connectAndEnter(const QString &folder)
{
    w->connection().toggleConnection();
    if (!listed(tab))
        return false;
    if (folder.isEmpty())
        return true;
    tab->phoneView()->selectRow(tab->phoneModel()->rowOf(DirEntry::folder(folder).caption()));
    tab->phone().openCurrentRow();
    return listed(tab);
}

inline bool PhoneWindow::connectBrewInto(const QStringList &folders)
{
    tab->phone().chooseAccess(1);
    w->connection().toggleConnection();
    if (!listed(tab))
        return false;
    for (const QString &f : folders) {
        tab->activatePhonePane();
        tab->phoneView()->selectRow(tab->phoneModel()->rowOf(DirEntry::folder(f).caption()));
        tab->phone().openCurrentRow();
        if (!listed(tab))
            return false;
    }
    return true;
}

// Answers the question box with `button` once it shows.
inline bool answer(MainWindow *w, QMessageBox::StandardButton button, int waitMs = 5000)
{
    QMessageBox *q = nullptr;
    if (!QTest::qWaitFor([&] {
            for (QMessageBox *m : w->findChildren<QMessageBox *>(QStringLiteral("QuestionBox")))
                if (m->isVisible())
                    q = m;
            return q != nullptr;
        }, waitMs))
        return false;
    q->button(button)->click();
    return true;
}

} // namespace phonewindow
