#include "common/testmain.h"

#include <ui/questionbox.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

using namespace vandrel::ui;

Q_DECLARE_METATYPE(QMessageBox::StandardButtons)

namespace {
QMessageBox *openBox(QWidget *parent)
{
    return parent->findChild<QMessageBox *>(QStringLiteral("QuestionBox"));
}
} // namespace

class QuestionBoxTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        setQuestionCaptions({QStringLiteral("Ja"), QStringLiteral("Ja, alle"), QStringLiteral("Nein"),
                             QStringLiteral("Nein, keine"), QStringLiteral("Abbrechen")});
    }

    void buttons_data()
    {
        QTest::addColumn<QMessageBox::StandardButtons>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("yes no") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                << QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")};
        QTest::newRow("yes no cancel")
            << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
            << QStringList{QStringLiteral("Ja"), QStringLiteral("Nein"), QStringLiteral("Abbrechen")};
        QTest::newRow("all five")
            << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                            QMessageBox::NoToAll | QMessageBox::Cancel)
            << QStringList{QStringLiteral("Ja"), QStringLiteral("Ja, alle"), QStringLiteral("Nein"),
                           QStringLiteral("Nein, keine"), QStringLiteral("Abbrechen")};
        QTest::newRow("foreign buttons ignored")
            << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::Save | QMessageBox::No)
            << QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")};
    }
    void buttons()
    {
        QFETCH(QMessageBox::StandardButtons, buttons);
        QFETCH(QStringList, captions);
        QWidget parent;
        QMessageBox *box = openQuestion(&parent, QStringLiteral("Replace?"), buttons);
        QCOMPARE(box->windowTitle(), QStringLiteral("Vandrel Controller"));
        QCOMPARE(box->text(), QStringLiteral("Replace?"));
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QVERIFY(box->isVisible());
        QStringList shown;
        for (QAbstractButton *b : box->buttons())
            shown << b->text();
        shown.sort();
        captions.sort();
        QCOMPARE(shown, captions);
    }

    void emptyCaptionKeepsToolkitText()
    {
        setQuestionCaptions({});
        QWidget parent;
        QMessageBox *box = openQuestion(&parent, QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No);
        QVERIFY(!box->button(QMessageBox::Yes)->text().isEmpty());
    }

    void answer_data()
    {
        QTest::addColumn<QMessageBox::StandardButtons>("buttons");
        QTest::addColumn<int>("pressed");
        const auto all = QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                                      QMessageBox::NoToAll | QMessageBox::Cancel);
        QTest::newRow("yes") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::Yes);
        QTest::newRow("no") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::No);
        QTest::newRow("yes to all") << all << int(QMessageBox::YesToAll);
        QTest::newRow("no to all") << all << int(QMessageBox::NoToAll);
        QTest::newRow("cancel") << all << int(QMessageBox::Cancel);
    }
    void answer()
    {
        QFETCH(QMessageBox::StandardButtons, buttons);
        QFETCH(int, pressed);
        QWidget parent;
        auto task = ask(&parent, QStringLiteral("Overwrite?"), buttons);
        QPointer<QMessageBox> box = openBox(&parent);
        QVERIFY(box);
        box->button(QMessageBox::StandardButton(pressed))->click();
        QCOMPARE(int(QCoro::waitFor(task)), pressed);
        QTRY_VERIFY(box.isNull());
    }

    void escapeCancels()
    {
        QWidget parent;
        auto task = ask(&parent, QStringLiteral("Delete?"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QTest::keyClick(openBox(&parent), Qt::Key_Escape);
        QCOMPARE(QCoro::waitFor(task), QMessageBox::Cancel);
    }

    void parentGoneCancels()
    {
        auto *parent = new QWidget;
        auto task = ask(parent, QStringLiteral("Go on?"), QMessageBox::Yes | QMessageBox::No);
        QVERIFY(openBox(parent));
        delete parent;
        QCOMPARE(QCoro::waitFor(task), QMessageBox::Cancel);
    }

    void withoutParent()
    {
        auto task = ask(nullptr, QStringLiteral("Go on?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
        QMessageBox *box = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("QuestionBox") && w->isVisible())
                box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::No)->click();
        QCOMPARE(QCoro::waitFor(task), QMessageBox::No);
    }
};
VANDREL_TEST(QuestionBoxTest)

#include "tst_settings_questionbox.moc"
