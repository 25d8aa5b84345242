#pragma once
// The composer (objectName TForm7) writes one message to a contact or a number, shows what it will cost, sends it part
// by part and keeps a queue of messages for later ("Odeslat.vdl").
#include <core/settings/messageids.h>
#include <core/sms/queue.h>
#include <link/smssession.h>

#include <QCoroTask>
#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace vandrel::ui {

class MainWindow;

// What the opener hands over: a number and the name to preselect (reply), or a text (forward).
struct ComposerStart {
    QString number;
    QString name;
    QString text;
};

class ComposerWindow : public QDialog {
    Q_OBJECT
public:
    ComposerWindow(MainWindow &window, ComposerStart start);
    ~ComposerWindow() override;

    // Opens a composer window-modal to the main window; it deletes itself when closed.
    static ComposerWindow *open(MainWindow &window, ComposerStart start);

    bool isSending() const { return m_sending; }
    // The text as it will be sent ("Bez diakritiky" applied).
    QString textToSend() const;

signals:
    // Opening ended: the window is ready, or it closed itself (no service centre).
    void ready();
    // A sending ended, with its words shown.
    void sendFinished(bool ok);

public slots:
    void send();            // bOdeslatClick
    void queueCurrent();    // "K odeslání"
    void changeServiceCentre();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void applyCaptions();
    QString message(settings::Msg n, const char *builtIn) const;
    QCoro::Task<void> openUp();
    QCoro::Task<void> runSend(link::OutgoingSms message);
    QCoro::Task<void> askServiceCentre();
    void fillNumbers(int contact);
    void updateCounters();
    void takeFromQueue(int index);
    void showQueue();

    MainWindow &m_window;
    ComposerStart m_start;
    QStringList m_recipients; // the address book's lines, in the order of the name box
    QList<sms::QueuedMessage> m_queue;
    QString m_centre;
    bool m_queueLoaded = false; // a composer that closed while opening leaves the file alone
    bool m_sending = false;
    bool m_closeAfterSending = false;
    std::shared_ptr<link::SendCancel> m_cancel;

    QLabel *m_nameLabel = nullptr;
    QLabel *m_numberLabel = nullptr;
    QComboBox *m_names = nullptr;
    QComboBox *m_number = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QLabel *m_countLabel = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_parts = nullptr;
    QLabel *m_progress = nullptr;
    QCheckBox *m_plain = nullptr;
    QGroupBox *m_validityGroup = nullptr;
    QRadioButton *m_days = nullptr;
    QRadioButton *m_hours = nullptr;
    QSpinBox *m_validity = nullptr;
    QCheckBox *m_report = nullptr;
    QGroupBox *m_queueGroup = nullptr;
    QComboBox *m_queueBox = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_changeCentre = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_clear = nullptr;
    QMenu *m_saveMenu = nullptr;
    QAction *m_toQueue = nullptr;
    QAction *m_toPhone = nullptr;
};

} // namespace vandrel::ui
