#include "composerwindow.h"

#include "../connection.h"
#include "../inputbox.h"
#include "../mainwindow.h"
#include "../messagebox.h"

#include <core/sms/composer.h>
#include <link/settingsstore.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCollator>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace vandrel::ui {

namespace {

template <class W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The address book's lines in the order of the name box: Czech, ignoring case.
QStringList sortedRecipients(QStringList lines)
{
    QCollator collator{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lines.begin(), lines.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(sms::recipientOf(a).name, sms::recipientOf(b).name) < 0;
    });
    return lines;
}

} // namespace

ComposerWindow::ComposerWindow(MainWindow &window, ComposerStart start)
    : QDialog(&window), m_window(window), m_start(std::move(start))
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    applyCaptions();
}

ComposerWindow::~ComposerWindow()
{
    if (m_cancel)
        m_cancel->requested = true;
}

ComposerWindow *ComposerWindow::open(MainWindow &window, ComposerStart start)
{
    auto *composer = new ComposerWindow(window, std::move(start));
    composer->setWindowModality(Qt::WindowModal);
    composer->show();
    // The window is on screen before it asks anything.
    QTimer::singleShot(0, composer, [composer] { composer->openUp(); });
    return composer;
}

QString ComposerWindow::message(settings::Msg n, const char *builtIn) const
{
    return m_window.message(n, QString::fromUtf8(builtIn));
}

void ComposerWindow::build()
{
    m_nameLabel = named(new QLabel(this), "Label1");
    m_numberLabel = named(new QLabel(this), "Label2");
    m_names = named(new QComboBox(this), "Combo1");
    m_number = named(new QComboBox(this), "Combo2");
    m_number->setEditable(true);
    m_number->setInsertPolicy(QComboBox::NoInsert);
    m_text = named(new QPlainTextEdit(this), "RichSMS");
    m_countLabel = named(new QLabel(this), "Label4");
    m_count = named(new QLabel(QStringLiteral("0 / 755"), this), "Label3");
    m_parts = named(new QLabel(QStringLiteral("1"), this), "Label6");
    m_progress = named(new QLabel(this), "SendProgress");
    m_plain = named(new QCheckBox(QStringLiteral("Bez diakritiky"), this), "plainLetters");
    m_plain->setChecked(m_window.settingsStore().plainLetters());

    m_validityGroup = named(new QGroupBox(this), "RadioG1");
    m_days = named(new QRadioButton(m_validityGroup), "Radio1");
    m_hours = named(new QRadioButton(m_validityGroup), "Radio2");
    m_days->setChecked(true);
    m_validity = named(new QSpinBox(m_validityGroup), "Platnost");
    m_validity->setRange(1, 30);
    m_validity->setValue(30);
    auto *validityLayout = new QHBoxLayout(m_validityGroup);
    validityLayout->addWidget(m_days);
    validityLayout->addWidget(m_hours);
    validityLayout->addWidget(m_validity);
    m_report = named(new QCheckBox(this), "status");
    m_report->setChecked(m_window.appSettings().statusreport);

    m_queueGroup = named(new QGroupBox(this), "RadioG2");
    m_queueBox = named(new QComboBox(m_queueGroup), "ComboBox1");
    (new QVBoxLayout(m_queueGroup))->addWidget(m_queueBox);

    m_send = named(new QPushButton(this), "bOdeslat");
    m_save = named(new QPushButton(this), "Button1");
    m_changeCentre = named(new QPushButton(this), "Button2");
    m_close = named(new QPushButton(this), "Button3");
    m_clear = named(new QPushButton(this), "Button4");
    m_saveMenu = named(new QMenu(this), "PopupMenu1");
    m_toQueue = m_saveMenu->addAction(QString());
    m_toQueue->setObjectName(QStringLiteral("Kodeslani1"));
    m_saveMenu->addSeparator();
    m_toPhone = m_saveMenu->addAction(QString());
    m_toPhone->setObjectName(QStringLiteral("Dotelefonu1"));
    m_toPhone->setVisible(false);
    m_save->setMenu(m_saveMenu);

    auto *grid = new QGridLayout;
    grid->addWidget(m_nameLabel, 0, 0);
    grid->addWidget(m_names, 0, 1);
    grid->addWidget(m_numberLabel, 1, 0);
    grid->addWidget(m_number, 1, 1);
    auto *counters = new QHBoxLayout;
    counters->addWidget(m_countLabel);
    counters->addWidget(m_count);
    counters->addSpacing(12);
    counters->addWidget(m_parts);
    counters->addStretch();
    counters->addWidget(m_plain);
    auto *options = new QHBoxLayout;
    options->addWidget(m_validityGroup);
    options->addWidget(m_report);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_send, m_save, m_changeCentre, m_clear, m_close})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_text, 1);
    layout->addLayout(counters);
    layout->addLayout(options);
    layout->addWidget(m_queueGroup);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    resize(460, 420);

    connect(m_names, &QComboBox::activated, this, &ComposerWindow::fillNumbers);
    connect(m_text, &QPlainTextEdit::textChanged, this, &ComposerWindow::updateCounters);
    connect(m_plain, &QCheckBox::toggled, this, [this](bool on) {
        m_window.settingsStore().savePlainLetters(on);
        updateCounters();
    });
    connect(m_queueBox, &QComboBox::activated, this, &ComposerWindow::takeFromQueue);
    connect(m_send, &QPushButton::clicked, this, &ComposerWindow::send);
    connect(m_toQueue, &QAction::triggered, this, &ComposerWindow::queueCurrent);
    connect(m_changeCentre, &QPushButton::clicked, this, &ComposerWindow::changeServiceCentre);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_text->clear();
        m_number->setEditText(QString());
    });
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(&m_window, &MainWindow::captionsChanged, this, &ComposerWindow::applyCaptions);
}

void ComposerWindow::applyCaptions()
{
    m_nameLabel->setText(message(Msg::ColumnName, "Jméno"));
    m_numberLabel->setText(message(Msg::ColumnNumber, "Číslo"));
    m_changeCentre->setText(message(Msg::ChangeServiceCentre, "Změnit centrum služeb"));
    m_close->setText(message(Msg::CloseButton, "Konec"));
    m_clear->setText(message(Msg::ClearButton, "Smazat"));
    m_save->setText(message(Msg::SaveButton, "Uložit"));
    m_send->setText(message(Msg::SendButton, "Odeslat"));
    m_validityGroup->setTitle(message(Msg::ValidityGroup, "Doba platnosti:"));
    m_days->setText(message(Msg::ValidityDays, "Dny"));
    m_hours->setText(message(Msg::ValidityHours, "Hodiny"));
    m_report->setText(message(Msg::DeliveryReport, "Potvrzení o doručení"));
    m_countLabel->setText(message(Msg::CharactersLabel, "Znaků:"));
    m_queueGroup->setTitle(message(Msg::QueueGroup, "SMS k odeslání"));
    m_toQueue->setText(message(Msg::QueueEntry, "K odeslání"));
    m_toPhone->setText(message(Msg::SaveToPhoneEntry, "Do telefonu"));
}

QCoro::Task<void> ComposerWindow::openUp()
{
    QPointer<ComposerWindow> self(this);
    m_centre = m_window.settingsStore().serviceCentre();
    if (m_centre.isEmpty()) {
        QString offered;
        link::PhoneLink &phone = m_window.phoneLink();
        if (phone.modemPort()->isOpen() && !phone.isClaimed(link::PhoneLink::Port::Modem)) {
            const auto own = co_await link::phoneServiceCentre(phone);
            if (!self)
                co_return;
            if (own.ok())
                offered = own.value;
        }
        const auto answer = co_await askText(this, message(Msg::ServiceCentrePrompt, "Číslo centra služeb:"), offered);
        if (!self)
            co_return;
        if (!answer) {
            emit ready();
            close();
            co_return;
        }
        const auto centre = sms::serviceCentreNumber(*answer);
        if (!centre) {
            showError(&m_window, message(Msg::InvalidServiceCentre, "Neplatné telefonní číslo."));
            emit ready();
            close();
            co_return;
        }
        m_centre = *centre;
        m_window.settingsStore().saveServiceCentre(m_centre);
    }

    m_recipients = sortedRecipients(link::loadRecipientLines());
    for (const QString &line : std::as_const(m_recipients))
        m_names->addItem(sms::recipientOf(line).name);
    m_names->setCurrentIndex(-1);
    if (!m_start.name.isEmpty()) {
        const int at = m_names->findText(m_start.name, Qt::MatchFixedString);
        if (at >= 0) {
            m_names->setCurrentIndex(at);
            fillNumbers(at);
        }
    }
    m_number->setEditText(m_start.number);
    if (!m_start.text.isEmpty()) {
        m_text->setPlainText(m_start.text);
        m_number->setFocus();
    } else {
        m_text->setFocus();
    }
    updateCounters();
    m_queue = link::loadQueue();
    m_queueLoaded = true;
    showQueue();
    if (!m_queue.isEmpty())
        m_queueBox->setCurrentIndex(0);
    emit ready();
}

void ComposerWindow::fillNumbers(int contact)
{
    m_number->clear();
    if (contact < 0 || contact >= m_recipients.size())
        return;
    m_number->addItems(sms::recipientOf(m_recipients[contact]).numbers);
    m_number->setCurrentIndex(m_number->count() > 0 ? 0 : -1);
}

QString ComposerWindow::textToSend() const
{
    const QString text = m_text->toPlainText();
    return m_plain->isChecked() ? sms::withoutDiacritics(text) : text;
}

void ComposerWindow::updateCounters()
{
    const sms::SmsCount count = sms::countMessage(textToSend());
    m_count->setText(sms::counterText(count));
    m_parts->setText(QString::number(count.parts));
    m_count->setStyleSheet(count.overLimit ? QStringLiteral("color: red") : QString());
}

void ComposerWindow::send()
{
    if (m_sending)
        return;
    const QString text = textToSend();
    if (sms::countMessage(text).overLimit) {
        showError(this, message(Msg::TextTooLong, "Text zprávy je příliš dlouhý."));
        return;
    }
    if (!m_window.phoneLink().modemPort()->isOpen() || m_number->currentText().trimmed().isEmpty())
        return;
    const auto destination = sms::destinationNumber(m_number->currentText(), m_centre);
    if (!destination) {
        showInformation(this, message(Msg::InvalidServiceCentre, "Neplatné telefonní číslo."));
        return;
    }
    if (!m_window.connection().portReady(link::PhoneLink::Port::Modem))
        return;
    const quint8 validity = m_days->isChecked() ? sms::validityForDays(m_validity->value())
                                                : sms::validityForHours(m_validity->value());
    runSend({*destination, m_centre, text, validity, m_report->isChecked()});
}

QCoro::Task<void> ComposerWindow::runSend(link::OutgoingSms outgoing)
{
    QPointer<ComposerWindow> self(this);
    m_sending = true;
    m_cancel = std::make_shared<link::SendCancel>();
    for (QWidget *w : {static_cast<QWidget *>(m_send), static_cast<QWidget *>(m_save),
                       static_cast<QWidget *>(m_changeCentre), static_cast<QWidget *>(m_clear)})
        w->setEnabled(false);
    link::SendProgressHandler onProgress = [self](const link::SendProgress &p) {
        if (self && p.reference < 0)
            self->m_progress->setText(tr("Sending part %1 of %2").arg(p.part).arg(p.parts));
    };
    MainWindow &window = m_window;
    const auto result = co_await link::sendMessage(window.phoneLink(), outgoing, onProgress, m_cancel);
    if (!self) {
        if (result.outcome.isLinkFailure())
            window.phoneLink().handleFailure(result.outcome);
        co_return;
    }
    m_sending = false;
    m_progress->clear();
    for (QWidget *w : {static_cast<QWidget *>(m_send), static_cast<QWidget *>(m_save),
                       static_cast<QWidget *>(m_changeCentre), static_cast<QWidget *>(m_clear)})
        w->setEnabled(true);
    if (result.ok()) {
        showInformation(this, message(Msg::MessageSent, "Zpráva byla odeslána."));
    } else if (result.outcome.isCancelled()) {
        if (!result.value.references.isEmpty())
            showInformation(this, tr("Sending was cancelled after part %1 of %2.")
                                      .arg(result.value.references.size())
                                      .arg(result.value.parts));
    } else if (result.outcome.isLinkFailure()) {
        showError(this, link::sendFailureText(result));
        window.phoneLink().handleFailure(result.outcome);
    } else if (!result.outcome.endedByUser()) {
        showError(this, link::sendFailureText(result));
    }
    emit sendFinished(result.ok());
    if (m_closeAfterSending)
        close();
}

void ComposerWindow::queueCurrent()
{
    m_queue.append({m_number->currentText(), m_names->currentText(), m_text->toPlainText()});
    showQueue();
    m_queueBox->setCurrentIndex(int(m_queue.size()) - 1);
}

void ComposerWindow::showQueue()
{
    m_queueBox->clear();
    for (const auto &m : std::as_const(m_queue)) {
        QString line = sms::queueLine(m);
        // A line break would cut the entry in the box; the text keeps it.
        line.replace(u'\n', QChar(0x21B5));
        line.remove(u'\r');
        m_queueBox->addItem(line);
    }
}

void ComposerWindow::takeFromQueue(int index)
{
    if (index < 0 || index >= m_queue.size())
        return;
    const sms::QueuedMessage m = m_queue.takeAt(index);
    const int contact = m_names->findText(m.name, Qt::MatchFixedString);
    m_names->setCurrentIndex(contact);
    if (contact >= 0)
        fillNumbers(contact);
    m_number->setEditText(m.number);
    m_text->setPlainText(m.text);
    showQueue();
    m_queueBox->setCurrentIndex(int(m_queue.size()) - 1);
}

void ComposerWindow::changeServiceCentre() { askServiceCentre(); }

QCoro::Task<void> ComposerWindow::askServiceCentre()
{
    QPointer<ComposerWindow> self(this);
    const auto answer = co_await askText(this, message(Msg::ServiceCentrePrompt, "Číslo centra služeb:"), m_centre);
    if (!self || !answer)
        co_return;
    const auto centre = sms::serviceCentreNumber(*answer);
    if (!centre) {
        showError(this, message(Msg::InvalidServiceCentre, "Neplatné telefonní číslo."));
        co_return;
    }
    m_centre = *centre;
    m_window.settingsStore().saveServiceCentre(m_centre);
}

void ComposerWindow::closeEvent(QCloseEvent *event)
{
    if (m_sending) {
        // The part under way is finished; the window closes when the phone has answered it.
        m_cancel->requested = true;
        m_closeAfterSending = true;
        event->ignore();
        return;
    }
    QString error;
    if (m_queueLoaded && !link::saveQueue(m_queue, &error))
        showError(&m_window, tr("The queue of messages could not be saved: %1").arg(error));
    m_window.appSettings().statusreport = m_report->isChecked();
    QDialog::closeEvent(event);
}

} // namespace vandrel::ui
