#include "favourites.h"

#include "ui/inputbox.h"
#include "ui/lifecycle.h"
#include "ui/mainwindow.h"
#include "ui/menustyle.h"
#include "ui/messagebox.h"

#include <link/favouritesfile.h>
#include <link/paths.h>

#include <QAction>
#include <QMenu>

namespace vandrel::ui {

namespace {
const QString kAddEntryText = QStringLiteral("Přidat aktuální adresář");
constexpr std::array kLists{Favourites::List::Computer, Favourites::List::Obex, Favourites::List::Brew};
} // namespace

Favourites::Favourites(MainWindow &window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("Favourites"));
    build(List::Computer, "PopDirPC", "Pidataktulnadres1");
    build(List::Obex, "PopDirMO", "Pidataktulnadres2");
    build(List::Brew, "PopDirBrew", "MenuItem2");
    applyCaptions();
    connect(&window, &MainWindow::captionsChanged, this, &Favourites::applyCaptions);
    window.lifecycle().on(Step::LoadFavourites, [this] { load(); });
    window.lifecycle().on(Step::SaveFavourites, [this] { save(); });
}

void Favourites::build(List list, const char *menuName, const char *addName)
{
    Slot &s = slot(list);
    s.menu = new QMenu(&m_window);
    s.menu->setObjectName(QString::fromLatin1(menuName));
    s.menu->setStyle(m_window.menuStyle());
    s.separator = s.menu->addSeparator();
    s.add = s.menu->addAction(kAddEntryText);
    s.add->setObjectName(QString::fromLatin1(addName));
    // The phone's entries follow the phone pane's moves; they start off until it has a folder.
    s.add->setEnabled(list == List::Computer);
    connect(s.add, &QAction::triggered, this, [this, list] { emit addRequested(list); });
}

void Favourites::applyCaptions()
{
    // The BREW menu's entry has no text of its own in the language files.
    for (const List list : {List::Computer, List::Obex})
        slot(list).add->setText(m_window.message(Msg::AddFavourite, kAddEntryText));
}

QMenu *Favourites::menu(List list) const { return slot(list).menu; }
QAction *Favourites::addAction(List list) const { return slot(list).add; }
QList<explorer::Favourite> Favourites::records(List list) const { return slot(list).records; }

QString Favourites::fileName(List list)
{
    switch (list) {
    case List::Computer: return QStringLiteral("PCdirs.vdl");
    case List::Obex: return QStringLiteral("MOdirs.vdl");
    case List::Brew: return QStringLiteral("Bdirs.vdl");
    }
    return {};
}

void Favourites::insertEntry(List list, const explorer::Favourite &favourite)
{
    if (favourite.path.isEmpty())
        return;
    Slot &s = slot(list);
    auto *entry = new QAction(favourite.name, s.menu);
    s.menu->insertAction(s.separator, entry);
    connect(entry, &QAction::triggered, this, [this, list, path = favourite.path] { emit chosen(list, path); });
}

void Favourites::rebuildEntries(List list)
{
    Slot &s = slot(list);
    for (QAction *a : s.menu->actions()) {
        if (a == s.separator || a == s.add)
            continue;
        s.menu->removeAction(a);
        delete a;
    }
    for (const explorer::Favourite &f : std::as_const(s.records))
        insertEntry(list, f);
}

void Favourites::load()
{
    for (const List list : kLists) {
        slot(list).records = link::readFavouritesFile(link::dataFile(fileName(list)));
        rebuildEntries(list);
    }
}

bool Favourites::save()
{
    for (const List list : kLists) {
        if (!link::writeFavouritesFile(link::dataFile(fileName(list)), slot(list).records)) {
            showError(&m_window, QStringLiteral("Chyba při ukládání oblíbených adresářů!"));
            return false;
        }
    }
    return true;
}

bool Favourites::append(List list, const explorer::Favourite &favourite)
{
    const explorer::Favourite record{favourite.name.left(explorer::kFavouriteNameBytes), favourite.path};
    // Refused here rather than at closing, where the whole file would be lost with it.
    if (const auto encoded = explorer::encodeFavourite(record); !encoded) {
        showError(&m_window, encoded.error());
        return false;
    }
    slot(list).records.append(record);
    insertEntry(list, record);
    return true;
}

QCoro::Task<void> Favourites::addCurrent(List list, QString path)
{
    const std::optional<QString> name =
        co_await askText(&m_window, m_window.message(Msg::FavouriteNamePrompt, QStringLiteral("Název oblíbeného adresáře:")));
    if (!name || name->isEmpty())
        co_return;
    append(list, {*name, path});
}

} // namespace vandrel::ui
