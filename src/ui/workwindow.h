#pragma once
// What the OBEX and the BREW transfer windows share: two text lines and a progress bar, the
// work started once the window is on screen, and the registration with the phone link that
// lets a fatal link error close the window as cancelled.
#include <QDialog>

class QLabel;
class QProgressBar;

namespace vandrel::link {
class PhoneLink;
}

namespace vandrel::ui {

class WorkWindow : public QDialog {
    Q_OBJECT
public:
    ~WorkWindow() override;

    QLabel *upperLine() const { return m_upper; }
    QLabel *lowerLine() const { return m_lower; }
    QProgressBar *progress() const { return m_progress; }
    bool isWorking() const { return m_working; }
    // Closing the window cancels its work and closes the questions the work opened.
    void reject() override;

protected:
    WorkWindow(link::PhoneLink &link, const QString &caption, const QString &progressName, QWidget *parent);

    void showEvent(QShowEvent *event) override;
    // Runs once, from the event loop, after the window was first shown.
    virtual void start() = 0;
    // Ends the work at its next step (the window is closing).
    virtual void cancelWork() = 0;
    // The link may close the window (as cancelled) while the work runs.
    void registerWithLink();
    // The bar counts in int: beyond that, in kilobytes.
    void setProgress(qint64 value, qint64 maximum);

    link::PhoneLink &m_link;
    bool m_working = false;
    bool m_emptyShowsComplete = false; // a maximum of zero fills the bar instead of emptying it

private:
    QLabel *m_upper;
    QLabel *m_lower;
    QProgressBar *m_progress;
    bool m_started = false;
};

} // namespace vandrel::ui
