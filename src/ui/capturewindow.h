#pragma once
// "Display Capture" (objectName TForm8): pictures of the phone's screen, one at a time or one after
// another into a folder or into one file, shown unscaled; saved as BMP or PNG, copied to the
// clipboard. The work is one coroutine on the BREW session; closing the window ends it.
#include <core/settings/messagetable.h>
#include <link/brewsession.h>

#include <QDialog>
#include <QImage>
#include <QPointer>

class QLabel;
class QPushButton;

namespace vandrel::ui {

class CaptureWindow : public QDialog {
    Q_OBJECT
public:
    // `oneFile`: the setting "DCOneFile", a sequence goes into one chosen file.
    CaptureWindow(link::PhoneLink &link, const settings::MessageTable &messages, bool oneFile,
                  QWidget *parent = nullptr);
    ~CaptureWindow() override;

    const QImage &picture() const { return m_picture; }
    int taken() const { return m_taken; }
    bool running() const { return m_running; }

    // What the buttons do once their dialogs are answered.
    void takePicture();
    // `target`: a folder, or with "DCOneFile" the one file every picture replaces.
    void startSequence(const QString &target);
    void stopSequence();
    QCoro::Task<void> saveShown(QString path);

signals:
    void pictureShown();
    // A single picture or a sequence has ended, and how.
    void workEnded(const link::Outcome &outcome);

protected:
    void done(int result) override;

private:
    QCoro::Task<void> capture(QString target);
    void chooseSequenceTarget();
    void chooseSaveFile();
    void showPicture(const QImage &image);
    void updateButtons();
    QString words(settings::Msg m, const QString &builtIn) const;

    link::PhoneLink &m_link;
    const settings::MessageTable &m_messages;
    const bool m_oneFile;
    link::BrewSession *m_session;
    QLabel *m_image;
    QLabel *m_count;
    QPushButton *m_take;
    QPushButton *m_save;
    QPushButton *m_sequence;
    QPushButton *m_copy;
    QPushButton *m_close;
    QImage m_picture;
    QByteArray m_bitmap; // the shown picture as the phone sent it
    int m_taken = 0;
    bool m_running = false;
    bool m_sequenceRunning = false;
    bool m_stopped = false;
};

} // namespace vandrel::ui
