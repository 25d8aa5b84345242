#pragma once
// The "Adresář" tab: the address list, the four edit pages, and the commands that read the
// book from the phone and write it back, load and save it as files, and edit one contact.
#include <core/phonebook/addressbook.h>
#include <core/settings/messageids.h>

#include <QCoroTask>
#include <QMap>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace vandrel::ui {

class MainWindow;
class ContactTableModel;

class AddressBookTab : public QWidget {
    Q_OBJECT
public:
    explicit AddressBookTab(MainWindow &window);

    const phonebook::ContactTable &table() const { return m_table; }
    QTableView *view() const { return m_view; }
    // The edit control of a field (LabeledEdit…); nullptr for the default number and the group.
    QLineEdit *editOf(int field) const { return m_edits.value(field); }
    // Whether a command is still running (a transfer, a question).
    bool isWorking() const { return m_working; }

public slots:
    void newContact();      // BitBtn5
    void addContact();      // BitBtn7
    void changeContact();   // BitBtn8
    void deleteContact();   // BitBtn6
    void loadFromFile();    // BitBtn2
    void saveToFile();      // BitBtn4
    void readFromPhone();   // BitBtn1
    void writeToPhone();    // BitBtn3

signals:
    // A command that runs on (a load, a save, a phone transfer) has ended.
    void workDone();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void applyCaptions();
    QString message(settings::Msg n, const char16_t *builtIn) const;
    void loadGroupNames();
    void fillAddressList();
    void showContact(int row);
    int selectedRow() const;
    phonebook::ContactRecord pagesContact() const;
    int checkedButton() const;
    void updateButtons();
    // Writes "addr.vdl" from the table's recipient lines.
    void saveRecipients();
    // The table has edits that are neither in a file nor on the phone: asks before they go.
    QCoro::Task<bool> mayDiscardEdits();
    // The save dialog's answer: a name with the chosen filter's extension, after message 54.
    QCoro::Task<std::pair<QString, phonebook::BookFormat>> chooseSaveName(QString proposed, QList<phonebook::BookFormat> formats);
    // Writes the book file whole, or says why not; a lossy export is named.
    bool writeBook(const QString &path, phonebook::BookFormat format, const QByteArray &phoneBytes = {});
    QCoro::Task<void> runReadFromPhone();
    QCoro::Task<void> runWriteToPhone();
    QCoro::Task<void> runLoadFromFile(QString path);
    QCoro::Task<void> runSaveToFile();
    QCoro::Task<void> closeAfterQuestion();

    MainWindow &m_window;
    phonebook::ContactTable m_table;
    QStringList m_groupNames;
    ContactTableModel *m_model = nullptr;
    QTableView *m_view = nullptr;
    QTabWidget *m_pages = nullptr;
    QMap<int, QLineEdit *> m_edits;      // by field number
    QMap<int, QLabel *> m_labels;        // by field number
    QList<QRadioButton *> m_radios;      // RadioButton5..8
    QButtonGroup *m_radioGroup = nullptr;
    QComboBox *m_group = nullptr;
    QLabel *m_groupLabel = nullptr;
    QList<QPushButton *> m_buttons;      // BitBtn1..8
    bool m_working = false;
    bool m_closeConfirmed = false;
    bool m_closeAsked = false;
};

} // namespace vandrel::ui
