#include "common/testmain.h"

#include <core/explorer/favourites.h>
#include <channel/fakeserialchannel.h>
#include <link/favouritesfile.h>
#include <link/paths.h>
#include <ui/explorer/favourites.h>
#include <ui/mainwindow.h>
#include <ui/menustyle.h>

#include <QAction>
#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

using namespace vandrel;
using namespace vandrel::ui;
using explorer::Favourite;
using List = Favourites::List;

Q_DECLARE_METATYPE(vandrel::ui::Favourites::List)

namespace {

struct Window {
    std::unique_ptr<MainWindow> w{std::make_unique<MainWindow>(
        std::make_unique<link::PhoneLink>(new channel::FakeSerialChannel, new channel::FakeSerialChannel))};
    Favourites *favourites = new Favourites(*w);
    Window() { w->create(); }

    QInputDialog *inputBox() const { return w->findChild<QInputDialog *>(QStringLiteral("InputBox")); }
    QMessageBox *errorBox() const { return w->findChild<QMessageBox *>(QStringLiteral("ErrorBox")); }
};

QString pathOf(List list) { return link::dataFile(Favourites::fileName(list)); }

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArray recordsBytes(const QList<Favourite> &favourites)
{
    const auto bytes = explorer::encodeFavourites(favourites);
    return bytes ? *bytes : QByteArray();
}

// The captions of a menu's entries, "-" for a separator.
QStringList entries(const QMenu *menu)
{
    QStringList out;
    for (const QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QAction *entry(const QMenu *menu, const QString &caption)
{
    for (QAction *a : menu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

void removeAll()
{
    for (const List list : {List::Computer, List::Obex, List::Brew}) {
        QDir(pathOf(list)).removeRecursively();
        QFile::remove(pathOf(list));
    }
}

} // namespace

class FavouritesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { removeAll(); }
    void cleanup() { removeAll(); }

    void menusAndEntries()
    {
        Window win;
        const struct {
            List list;
            const char *menu;
            const char *add;
            bool enabled;
        } expected[] = {{List::Computer, "PopDirPC", "Pidataktulnadres1", true},
                        {List::Obex, "PopDirMO", "Pidataktulnadres2", false},
                        {List::Brew, "PopDirBrew", "MenuItem2", false}};
        for (const auto &e : expected) {
            QMenu *menu = win.favourites->menu(e.list);
            QCOMPARE(menu->objectName(), QString::fromLatin1(e.menu));
            QCOMPARE(menu->style(), static_cast<QStyle *>(win.w->menuStyle()));
            QAction *add = win.favourites->addAction(e.list);
            QCOMPARE(add->objectName(), QString::fromLatin1(e.add));
            QCOMPARE(add->isEnabled(), e.enabled);
            QCOMPARE(menu->actions().last(), add);
            QCOMPARE(entries(menu), (QStringList{QStringLiteral("-"), add->text()}));
        }
        QCOMPARE(win.favourites->addAction(List::Computer)->text(),
                 win.w->message(Msg::AddFavourite, QStringLiteral("Přidat aktuální adresář")));
        QCOMPARE(win.favourites->addAction(List::Brew)->text(), QStringLiteral("Přidat aktuální adresář"));
    }

    // Every record is kept; only those with a path get an entry, in record order.
    void loadsEachFile_data()
    {
        QTest::addColumn<QByteArray>("pc");
        QTest::addColumn<QByteArray>("mo");
        QTest::addColumn<QByteArray>("brew");
        QTest::addColumn<int>("brewRecords");
        QTest::addColumn<QStringList>("brewEntries");
        const QList<Favourite> two{{QStringLiteral("Hry"), QStringLiteral("brew/mod/")},
                                   {QStringLiteral("Zvuky"), QStringLiteral("brew/sounds/")}};
        const QByteArray twoBytes = recordsBytes(two);
        QTest::newRow("614 bytes, two records")
            << QByteArray() << QByteArray() << twoBytes << 2 << QStringList{QStringLiteral("Hry"), QStringLiteral("Zvuky")};
        QTest::newRow("cut-off third record dropped")
            << QByteArray() << QByteArray() << twoBytes + QByteArray(100, 'x') << 2
            << QStringList{QStringLiteral("Hry"), QStringLiteral("Zvuky")};
        QTest::newRow("record without path kept, no entry")
            << QByteArray() << QByteArray()
            << recordsBytes({{QStringLiteral("Kořen"), QString()}, two[1]}) << 2 << QStringList{QStringLiteral("Zvuky")};
        QTest::newRow("other files broken, BREW still read")
            << QByteArray(10, '\xFF') << QByteArray(306, '\0') << twoBytes << 2
            << QStringList{QStringLiteral("Hry"), QStringLiteral("Zvuky")};
        QTest::newRow("empty file") << QByteArray() << QByteArray() << QByteArray() << 0 << QStringList{};
    }
    void loadsEachFile()
    {
        QFETCH(QByteArray, pc);
        QFETCH(QByteArray, mo);
        QFETCH(QByteArray, brew);
        QFETCH(int, brewRecords);
        QFETCH(QStringList, brewEntries);
        writeFile(pathOf(List::Computer), pc);
        writeFile(pathOf(List::Obex), mo);
        writeFile(pathOf(List::Brew), brew);
        Window win; // loads at creation
        QCOMPARE(win.favourites->records(List::Computer).size(), pc.size() / 307);
        QCOMPARE(win.favourites->records(List::Obex).size(), 0);
        QCOMPARE(win.favourites->records(List::Brew).size(), brewRecords);
        const QStringList tail{QStringLiteral("-"), QStringLiteral("Přidat aktuální adresář")};
        QCOMPARE(entries(win.favourites->menu(List::Brew)), brewEntries + tail);
    }

    void unreadableFileGivesEmptyList()
    {
        QVERIFY(QDir().mkpath(pathOf(List::Obex))); // a folder where the file should be
        writeFile(pathOf(List::Computer), recordsBytes({{QStringLiteral("Data"), QStringLiteral("/data/")}}));
        Window win;
        QCOMPARE(win.favourites->records(List::Obex).size(), 0);
        QCOMPARE(win.favourites->records(List::Brew).size(), 0); // missing
        QCOMPARE(win.favourites->records(List::Computer).size(), 1);
        QVERIFY(!win.errorBox());
    }

    void roundTripThroughTheThreeFiles()
    {
        const QString longName = QString(60, QLatin1Char('n'));
        {
            Window win;
            QVERIFY(win.favourites->append(List::Computer, {longName, QStringLiteral("/home/jana/Fotky – léto/")}));
            QVERIFY(win.favourites->append(List::Computer, {QStringLiteral("Kořen"), QStringLiteral("/")}));
            QVERIFY(win.favourites->append(List::Obex, {QStringLiteral("Fotky"), QStringLiteral("mmc\\photos\\")}));
            QVERIFY(win.favourites->append(List::Brew, {QStringLiteral("Hry"), QStringLiteral("brew/mod/")}));
            win.w->close(); // saves
            QVERIFY(!win.errorBox());
        }
        QCOMPARE(QFileInfo(pathOf(List::Computer)).size(), 614);
        QCOMPARE(QFileInfo(pathOf(List::Obex)).size(), 307);
        QCOMPARE(QFileInfo(pathOf(List::Brew)).size(), 307);

        Window again;
        const QList<Favourite> pc = again.favourites->records(List::Computer);
        QCOMPARE(pc, (QList<Favourite>{{QString(50, QLatin1Char('n')), QStringLiteral("/home/jana/Fotky – léto/")},
                                       {QStringLiteral("Kořen"), QStringLiteral("/")}}));
        QCOMPARE(again.favourites->records(List::Obex), (QList<Favourite>{{QStringLiteral("Fotky"), QStringLiteral("mmc\\photos\\")}}));
        QCOMPARE(again.favourites->records(List::Brew), (QList<Favourite>{{QStringLiteral("Hry"), QStringLiteral("brew/mod/")}}));
        QCOMPARE(entries(again.favourites->menu(List::Computer)).first(), QString(50, QLatin1Char('n')));
    }

    // Writing stops at the first file that cannot be written; the ones after it keep their contents.
    void failedSaveShowsErrorAndStops_data()
    {
        QTest::addColumn<int>("blocked");
        QTest::newRow("PC") << int(List::Computer);
        QTest::newRow("MO") << int(List::Obex);
        QTest::newRow("B") << int(List::Brew);
    }
    void failedSaveShowsErrorAndStops()
    {
        QFETCH(int, blocked);
        const QByteArray old = recordsBytes({{QStringLiteral("staré"), QStringLiteral("old/")}});
        for (const List list : {List::Computer, List::Obex, List::Brew})
            writeFile(pathOf(list), old);
        Window win;
        for (const List list : {List::Computer, List::Obex, List::Brew})
            QVERIFY(win.favourites->append(list, {QStringLiteral("nové"), QStringLiteral("new/")}));
        QFile::remove(pathOf(List(blocked)));
        QVERIFY(QDir().mkpath(pathOf(List(blocked))));

        QVERIFY(!win.favourites->save());
        QMessageBox *box = win.errorBox();
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Chyba při ukládání oblíbených adresářů!"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->windowTitle(), QStringLiteral("Vandrel Controller"));
        for (const List list : {List::Computer, List::Obex, List::Brew}) {
            if (int(list) < blocked)
                QCOMPARE(readFile(pathOf(list)).size(), 614);
            else if (int(list) > blocked)
                QCOMPARE(readFile(pathOf(list)), old);
        }
        QVERIFY(QFileInfo(pathOf(List(blocked))).isDir());
        box->close();
    }

    void addingAsksTheName_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("added");
        QTest::newRow("computer") << int(List::Computer) << QStringLiteral("/data/") << QStringLiteral("Data") << true << 1;
        QTest::newRow("obex") << int(List::Obex) << QStringLiteral("mmc\\photos\\") << QStringLiteral("Fotky") << true << 1;
        QTest::newRow("brew") << int(List::Brew) << QStringLiteral("brew/mod/") << QStringLiteral("Hry") << true << 1;
        QTest::newRow("empty name") << int(List::Computer) << QStringLiteral("/data/") << QString() << true << 0;
        QTest::newRow("cancel") << int(List::Computer) << QStringLiteral("/data/") << QStringLiteral("Data") << false << 0;
        QTest::newRow("empty path: record, no entry") << int(List::Brew) << QString() << QStringLiteral("Kořen") << true << 1;
    }
    void addingAsksTheName()
    {
        QFETCH(int, list);
        QFETCH(QString, path);
        QFETCH(QString, answer);
        QFETCH(bool, accept);
        QFETCH(int, added);
        Window win;
        QSignalSpy chosen(win.favourites, &Favourites::chosen);
        auto task = win.favourites->addCurrent(List(list), path);
        QInputDialog *box = win.inputBox();
        QVERIFY(box);
        QCOMPARE(box->labelText(), win.w->message(Msg::FavouriteNamePrompt, QStringLiteral("Název oblíbeného adresáře:")));
        QCOMPARE(box->textValue(), QString());
        box->setTextValue(answer);
        if (accept)
            box->accept();
        else
            box->reject();
        QCoro::waitFor(task);

        const QList<Favourite> records = win.favourites->records(List(list));
        QCOMPARE(records.size(), added);
        QMenu *menu = win.favourites->menu(List(list));
        const int menuEntries = added && !path.isEmpty() ? 1 : 0;
        QCOMPARE(menu->actions().size(), menuEntries + 2);
        if (added)
            QCOMPARE(records.first(), (Favourite{answer, path}));
        if (menuEntries) {
            QCOMPARE(menu->actions().first()->text(), answer);
            menu->actions().first()->trigger();
            QCOMPARE(chosen.size(), 1);
            QCOMPARE(chosen.first().at(1).toString(), path);
        }
    }

    // A path the file cannot hold is refused at once, with a message, never cut.
    void unstorablePathRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("256 characters") << QStringLiteral("/") + QString(255, QLatin1Char('p'));
        QTest::newRow("outside cp1250") << QStringLiteral("/home/中文/");
    }
    void unstorablePathRefused()
    {
        QFETCH(QString, path);
        Window win;
        auto task = win.favourites->addCurrent(List::Computer, path);
        QInputDialog *box = win.inputBox();
        QVERIFY(box);
        box->setTextValue(QStringLiteral("Dlouhá"));
        box->accept();
        QCoro::waitFor(task);
        QVERIFY(win.favourites->records(List::Computer).isEmpty());
        QCOMPARE(win.favourites->menu(List::Computer)->actions().size(), 2);
        QMessageBox *error = win.errorBox();
        QVERIFY(error);
        QVERIFY(!error->text().isEmpty());
        error->close();
        QVERIFY(win.favourites->save()); // the rest is still saved
        QCOMPARE(readFile(pathOf(List::Computer)), QByteArray());
    }

    // Each entry opens the folder of its own record; the add entry asks for the add.
    void choosingEntries()
    {
        writeFile(pathOf(List::Obex), recordsBytes({{QStringLiteral("Fotky"), QStringLiteral("mmc\\photos\\")},
                                                    {QStringLiteral("Fotky"), QStringLiteral("user\\photos\\")},
                                                    {QStringLiteral("Hudba"), QStringLiteral("mmc\\music\\")}}));
        Window win;
        QSignalSpy chosen(win.favourites, &Favourites::chosen);
        QSignalSpy addRequested(win.favourites, &Favourites::addRequested);
        const QList<QAction *> actions = win.favourites->menu(List::Obex)->actions();
        QCOMPARE(actions.size(), 5);
        actions[1]->trigger();
        actions[2]->trigger();
        actions[0]->trigger();
        QCOMPARE(chosen.size(), 3);
        const QStringList expected{QStringLiteral("user\\photos\\"), QStringLiteral("mmc\\music\\"), QStringLiteral("mmc\\photos\\")};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(chosen[i][0].value<List>(), List::Obex);
            QCOMPARE(chosen[i][1].toString(), expected[i]);
        }
        QVERIFY(addRequested.isEmpty());
        win.favourites->addAction(List::Brew)->setEnabled(true);
        win.favourites->addAction(List::Brew)->trigger();
        QCOMPARE(addRequested.size(), 1);
        QCOMPARE(addRequested[0][0].value<List>(), List::Brew);
        QVERIFY(!entry(win.favourites->menu(List::Computer), QStringLiteral("Fotky")));
    }

    // A new entry goes just before the separator, after the loaded ones.
    void addedEntryGoesBeforeTheSeparator()
    {
        writeFile(pathOf(List::Computer), recordsBytes({{QStringLiteral("A"), QStringLiteral("/a/")}}));
        Window win;
        QVERIFY(win.favourites->append(List::Computer, {QStringLiteral("B"), QStringLiteral("/b/")}));
        QCOMPARE(entries(win.favourites->menu(List::Computer)),
                 (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("-"),
                              win.favourites->addAction(List::Computer)->text()}));
    }
};

class FavouritesFileTest : public QObject {
    Q_OBJECT
private slots:
    void init() { removeAll(); }
    void cleanup() { removeAll(); }

    void writeIsAllOrNothing()
    {
        const QString path = pathOf(List::Brew);
        const QList<Favourite> good{{QStringLiteral("Hry"), QStringLiteral("brew/mod/")}};
        QVERIFY(link::writeFavouritesFile(path, good));
        const QByteArray before = readFile(path);
        QCOMPARE(before.size(), 307);
        // One record the format cannot hold: nothing is written, the old file stays.
        QVERIFY(!link::writeFavouritesFile(path, good + QList<Favourite>{{QStringLiteral("x"), QString(300, QLatin1Char('p'))}}));
        QCOMPARE(readFile(path), before);
        QCOMPARE(link::readFavouritesFile(path), good);
        QVERIFY(QDir(link::dataFolder()).entryList({QStringLiteral("Bdirs.vdl*")}, QDir::Files | QDir::Hidden).size() == 1);
    }

    void readMissingOrFolder()
    {
        QVERIFY(link::readFavouritesFile(pathOf(List::Computer)).isEmpty());
        QVERIFY(QDir().mkpath(pathOf(List::Computer)));
        QVERIFY(link::readFavouritesFile(pathOf(List::Computer)).isEmpty());
        QVERIFY(!link::writeFavouritesFile(pathOf(List::Computer), {}));
    }
};

VANDREL_TEST(FavouritesWindowTest)
VANDREL_TEST(FavouritesFileTest)
#include "tst_favourites.moc"
