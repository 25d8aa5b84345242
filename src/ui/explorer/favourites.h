#pragma once
// The favourite folders of the computer pane, the phone's OBEX file system and the BREW file
// system: three lists with their side files and their menus. Loaded when the main window is
// created, saved when it closes.
#include <core/explorer/favourites.h>

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <array>

class QAction;
class QMenu;

namespace vandrel::ui {

class MainWindow;

// "mmc\photos\" -> {"mmc", "photos"}, for choosing an OBEX favourite.
using explorer::obexNamesFromFavourite;

class Favourites : public QObject {
    Q_OBJECT
public:
    enum class List { Computer, Obex, Brew }; // "PCdirs.vdl", "MOdirs.vdl", "Bdirs.vdl"

    explicit Favourites(MainWindow &window);

    QMenu *menu(List list) const;          // PopDirPC, PopDirMO, PopDirBrew
    QAction *addAction(List list) const;   // Pidataktulnadres1, Pidataktulnadres2, MenuItem2
    QList<explorer::Favourite> records(List list) const;
    static QString fileName(List list);

    // Each file on its own; a missing or unreadable one gives an empty list.
    void load();
    // PC, MO, B in this order; the first file that cannot be written shows the error box and
    // ends the saving. False then.
    bool save();

    // Asks for a name; OK with a non-empty name appends the record for `path`, given in its
    // stored form (computer path, OBEX names each followed by "\", BREW "a/b/"). A path the
    // file cannot hold is refused with an error box.
    QCoro::Task<void> addCurrent(List list, QString path);
    // The same without asking (the name is cut to 50 characters); false when refused.
    bool append(List list, const explorer::Favourite &favourite);

signals:
    void chosen(vandrel::ui::Favourites::List list, const QString &path);
    void addRequested(vandrel::ui::Favourites::List list);

private:
    struct Slot {
        QList<explorer::Favourite> records;
        QMenu *menu = nullptr;
        QAction *separator = nullptr;
        QAction *add = nullptr;
    };

    void build(List list, const char *menuName, const char *addName);
    void insertEntry(List list, const explorer::Favourite &favourite);
    void rebuildEntries(List list);
    void applyCaptions();
    Slot &slot(List list) { return m_slots[std::size_t(list)]; }
    const Slot &slot(List list) const { return m_slots[std::size_t(list)]; }

    MainWindow &m_window;
    std::array<Slot, 3> m_slots;
};

} // namespace vandrel::ui
