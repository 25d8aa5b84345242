#pragma once
// The new-message notice (objectName TForm10): a message that arrived while connected, and the queue that shows such messages one
// after another as the receive dispatcher delivers them.
#include <link/smssession.h>

#include <QDialog>
#include <QList>
#include <QPointer>

class QLabel;
class QPushButton;
class QTextEdit;

namespace vandrel::ui {

class MainWindow;

class NoticeWindow : public QDialog {
    Q_OBJECT
public:
    // `reply` is the phone's "+CMGR ... OK" reply.
    NoticeWindow(MainWindow &window, const QByteArray &reply);

    QString number() const;
    QString text() const;

private:
    QLabel *m_number = nullptr;
    QLabel *m_name = nullptr;
    QLabel *m_date = nullptr;
    QTextEdit *m_text = nullptr;
};

class IncomingNotices : public QObject {
    Q_OBJECT
public:
    explicit IncomingNotices(MainWindow &window);

    NoticeWindow *current() const { return m_current; }
    int waiting() const { return int(m_queue.size()); }

signals:
    void shown(NoticeWindow *notice);

private:
    void enqueue(int index, const QByteArray &reply);
    void showNext();

    MainWindow &m_window;
    QList<QByteArray> m_queue;
    QPointer<NoticeWindow> m_current;
    bool m_showing = false;
};

} // namespace vandrel::ui
