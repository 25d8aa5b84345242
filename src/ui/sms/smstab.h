#pragma once
// The "Práce s SMS" tab: the filter, the message list with its preview, delete, the backup
// to a spreadsheet file, and the code of a message for the clipboard.
#include "smstablemodel.h"

#include <core/settings/messageids.h>
#include <link/smssession.h>

#include <QCoroTask>
#include <QWidget>

class QAbstractButton;
class QGroupBox;
class QHeaderView;
class QMenu;
class QPushButton;
class QRadioButton;
class QStandardItemModel;
class QTableView;
class QTextEdit;

namespace vandrel::ui {

class MainWindow;

class SmsTab : public QWidget {
    Q_OBJECT
public:
    explicit SmsTab(MainWindow &window);

    SmsTableModel *model() const { return m_model; }
    QTableView *view() const { return m_view; }
    link::SmsFilter filter() const;
    bool isListing() const { return m_listing; }

public slots:
    // bNacist: the messages of the checked filter, read again.
    void load();
    // Button6: the selected message with all its parts, after a question.
    void deleteSelected();
    // Button10: the list to a .xls or .csv file.
    void backup();
    // Button9, Button8, Button7: the composer empty, with the selected message's number and
    // name, or with its text.
    void writeNew();
    void replyToSelected();
    void forwardSelected();
    // "Copy code to clpbrd": the PDUs of the selected message in an input box.
    void showCode();

signals:
    // A listing ended (rows shown, or a failure reported).
    void listed();
    // A delete or a backup ended.
    void workDone();

private:
    void build();
    void applyCaptions();
    void showPreview();
    void sortBy(int column);
    const sms::SmsRow *selectedRow() const;
    QString message(settings::Msg n, const char *builtIn) const;
    // Starts a listing; false when the port is closed or held.
    bool startListing();
    QCoro::Task<void> runListing(link::SmsFilter filter);
    QCoro::Task<void> runDelete(QList<int> indexes, QString question);
    QCoro::Task<void> writeBackup(QString path, bool csv);
    // Reports a failed dialogue: link failures end the connection; the rest is an error box.
    void reportFailure(const link::Outcome &outcome);

    MainWindow &m_window;
    SmsTableModel *m_model = nullptr;
    QTableView *m_view = nullptr;
    QMenu *m_popup = nullptr;
    QGroupBox *m_filterGroup = nullptr;
    QGroupBox *m_previewGroup = nullptr;
    QList<QRadioButton *> m_filters; // in SmsFilter order
    QPushButton *m_load = nullptr;
    QHeaderView *m_head = nullptr;
    QStandardItemModel *m_headModel = nullptr;
    QTextEdit *m_text = nullptr;
    QList<QPushButton *> m_buttons; // Nová SMS, Odpovědět, Předat, Smazat, Zálohovat
    int m_sortColumn = SmsTableModel::IndexColumn;
    bool m_listing = false;
    bool m_working = false;
};

} // namespace vandrel::ui
