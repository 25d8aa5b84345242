#pragma once
// The main window's start-up, showing and closing orders as named steps. Features attach
// their work to a step; the window runs the steps in this order, whatever order the features
// were attached in.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

namespace vandrel::ui {

enum class Step {
    // creation
    AcceptDrops,          // the phone pane accepts files from the desktop
    CreateLog,            // exchange log; the calendar set to today
    MinimiseHandler,      // tray behaviour, application title
    CreateNameLists,      // address-book names and groups
    LoadSettings,         // settings, shortcuts, language, drive list, icons
    HelpMenuRight,        // help menu at the right end of the menu bar
    ComputerFreeSpace,    // free and total space label of the computer pane
    ResetFlags,           // the receive dispatcher's flags
    LoadNameLists,        // "addr.vdl", "grp.vdl"
    LoadFavourites,       // "PCdirs.vdl", "MOdirs.vdl", "Bdirs.vdl"
    // after the window is on screen
    CheckCompetingPrograms,
    ListComputerPane,
    Relayout,
    // closing
    SaveFavourites,
    SaveClosingSettings,
    ClosePorts,
    SaveLog,
};

class Lifecycle {
public:
    void on(Step step, std::function<void()> work) { m_hooks[step].append(std::move(work)); }

    // Runs every step from `first` to `last` (inclusive) in order; each step's work in the
    // order it was attached.
    void run(Step first, Step last)
    {
        for (int s = int(first); s <= int(last); ++s) {
            const auto it = m_hooks.find(Step(s));
            if (it == m_hooks.end())
                continue;
            m_trace.append(s);
            for (const auto &work : it->second)
                work();
        }
    }

    // The steps that ran, in order (for tests and diagnostics).
    const QList<int> &trace() const { return m_trace; }

private:
    std::map<Step, QList<std::function<void()>>> m_hooks;
    QList<int> m_trace;
};

} // namespace vandrel::ui
