#include "capturewindow.h"

#include "messagebox.h"
#include "questionasker.h"
#include "questionbox.h"
#include "transferwindow.h"

#include <core/diag/capture.h>
#include <link/phonelink.h>
#include <picture/picturefile.h>

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandrel::ui {

using settings::Msg;

namespace {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;

// Two pictures within one second would share a name: the later one gets a number.
QString freeName(const QString &path)
{
    if (!QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    for (int n = 2;; ++n) {
        const QString other = info.dir().filePath(QStringLiteral("%1_%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
        if (!QFileInfo::exists(other))
            return other;
    }
}

QPushButton *button(const char *objectName, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    return b;
}

} // namespace

CaptureWindow::CaptureWindow(link::PhoneLink &link, const settings::MessageTable &messages, bool oneFile, QWidget *parent)
    : QDialog(parent), m_link(link), m_messages(messages), m_oneFile(oneFile), m_session(new link::BrewSession(link, this))
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("Display Capture"));
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFixedSize(kScreenWidth, kScreenHeight);
    m_image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_image->setFrameShape(QFrame::Box);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("CaptureCount"));
    m_take = button("BitBtn2", words(Msg::TakePicture, QStringLiteral("Típnout")), this);
    m_save = button("BitBtn1", words(Msg::SaveButton, QStringLiteral("Uložit")), this);
    m_sequence = button("BitBtn4", words(Msg::SequenceButton, QStringLiteral("Sekvence")), this);
    m_copy = button("CopyPicture", words(Msg::Copy, QStringLiteral("Kopírovat")), this);
    m_close = button("BitBtn3", words(Msg::CloseButton, QStringLiteral("Konec")), this);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {m_take, m_save, m_sequence, m_copy})
        buttons->addWidget(b);
    buttons->addWidget(m_count);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_image);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_take, &QPushButton::clicked, this, &CaptureWindow::takePicture);
    connect(m_save, &QPushButton::clicked, this, &CaptureWindow::chooseSaveFile);
    connect(m_sequence, &QPushButton::clicked, this, [this] {
        if (m_sequenceRunning)
            stopSequence();
        else
            chooseSequenceTarget();
    });
    connect(m_copy, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setImage(m_picture); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    updateButtons();
}

CaptureWindow::~CaptureWindow()
{
    m_stopped = true;
    m_session->cancelWait();
}

QString CaptureWindow::words(Msg m, const QString &builtIn) const { return wordsOf(m_messages, m, builtIn); }

void CaptureWindow::done(int result)
{
    // Closing ends the work at once; a late acknowledgement starts nothing.
    m_stopped = true;
    if (m_running)
        m_session->cancelWait();
    QDialog::done(result);
}

void CaptureWindow::updateButtons()
{
    m_take->setEnabled(!m_running);
    m_sequence->setEnabled(!m_running || m_sequenceRunning);
    m_sequence->setText(m_sequenceRunning ? QStringLiteral("Stop") : words(Msg::SequenceButton, QStringLiteral("Sekvence")));
    m_save->setEnabled(!m_picture.isNull());
    m_copy->setEnabled(!m_picture.isNull());
}

void CaptureWindow::showPicture(const QImage &image)
{
    m_picture = image;
    // Unscaled: the phone's pixels as they are.
    m_image->setPixmap(QPixmap::fromImage(image));
    updateButtons();
}

void CaptureWindow::takePicture()
{
    if (!m_running)
        capture(QString());
}

void CaptureWindow::startSequence(const QString &target)
{
    if (m_running || target.isEmpty())
        return;
    m_taken = 0;
    capture(m_oneFile ? target : QDir(target).absolutePath() + QLatin1Char('/'));
}

void CaptureWindow::stopSequence()
{
    // The picture on its way is still saved; no further request goes out.
    m_stopped = true;
}

QCoro::Task<void> CaptureWindow::capture(QString target)
{
    QPointer<CaptureWindow> self(this);
    m_running = true;
    m_stopped = false;
    m_sequenceRunning = !target.isEmpty();
    updateButtons();
    link::Outcome ended = link::Outcome::completed();
    do {
        const auto shot = co_await m_session->captureDisplay();
        if (!self)
            co_return;
        if (!shot.ok()) {
            ended = shot.outcome;
            break;
        }
        QImage image;
        if (!image.loadFromData(shot.value, "BMP")) {
            ended = link::Outcome::failed(link::FailureKind::Malformed,
                                          tr("The phone's picture is not a bitmap this program can read."));
            break;
        }
        if (!target.isEmpty()) {
            const QString path = m_oneFile ? target : freeName(diag::capturePictureName(target, QDateTime::currentDateTime()));
            if (const QString problem = picture::savePicture(path, shot.value); !problem.isEmpty()) {
                ended = link::Outcome::failed(link::FailureKind::LocalFile, problem);
                break;
            }
            ++m_taken;
            m_count->setText(tr("Pictures: %1").arg(m_taken));
        }
        m_bitmap = shot.value;
        showPicture(image);
        emit pictureShown();
    } while (!target.isEmpty() && !m_stopped);
    m_running = false;
    m_sequenceRunning = false;
    updateButtons();
    if (!ended.ok() && !ended.endedByUser() && !m_stopped)
        showError(this, outcomeText(ended, m_messages));
    emit workEnded(ended);
}

void CaptureWindow::chooseSequenceTarget()
{
    auto *dialog = new QFileDialog(this, kCaption);
    dialog->setObjectName(m_oneFile ? QStringLiteral("SaveDialog1") : QStringLiteral("DirDialog1"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (m_oneFile) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->selectFile(QString::fromLatin1(diag::kCaptureFileName));
        dialog->setNameFilters({QStringLiteral("BMP (*.bmp)"), QStringLiteral("PNG (*.png)")});
    } else {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    }
    connect(dialog, &QFileDialog::fileSelected, this, &CaptureWindow::startSequence);
    dialog->open();
}

void CaptureWindow::chooseSaveFile()
{
    if (m_picture.isNull())
        return;
    auto *dialog = new QFileDialog(this, kCaption);
    dialog->setObjectName(QStringLiteral("SaveDialog1"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // The file's extension decides the format; the dialog does not ask before replacing, the
    // window does, with the program's own question.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(QString::fromLatin1(diag::kCaptureFileName));
    dialog->setNameFilters({QStringLiteral("BMP (*.bmp)"), QStringLiteral("PNG (*.png)")});
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) { saveShown(path); });
    dialog->open();
}

QCoro::Task<void> CaptureWindow::saveShown(QString path)
{
    QPointer<CaptureWindow> self(this);
    const QByteArray bitmap = m_bitmap;
    if (bitmap.isEmpty())
        co_return;
    if (QFileInfo::exists(path)) {
        const QString question = QDir::toNativeSeparators(path) + words(Msg::ReplaceFileQuestion, QStringLiteral(" exists. Overwrite?"));
        const auto answer = co_await ask(this, question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (!self || answer != QMessageBox::Yes)
            co_return;
    }
    // The phone's own bitmap, byte for byte, or converted for a PNG file.
    if (const QString problem = picture::savePicture(path, bitmap); !problem.isEmpty())
        showError(this, problem);
}

} // namespace vandrel::ui
