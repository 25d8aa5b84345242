#pragma once
// Wakes a coroutine waiting for a window's answer: once, from the event loop, whichever comes
// first (the answer, or the window going away unanswered), never from inside a destruction.
#include <QObject>

namespace vandrel::ui {

class OnceRelay : public QObject {
    Q_OBJECT
public:
    void finish()
    {
        if (m_done)
            return;
        m_done = true;
        QMetaObject::invokeMethod(this, &OnceRelay::fired, Qt::QueuedConnection);
    }

signals:
    void fired();

private:
    bool m_done = false;
};

} // namespace vandrel::ui
