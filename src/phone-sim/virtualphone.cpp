#include "virtualphone.h"

#include "diagport.h"
#include "ptychannel.h"
#include "seed.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace vandrel::phonesim {

VirtualPhone::VirtualPhone(const QString &rootDir, QObject *parent) : VirtualPhone(rootDir, SeedOptions(), parent) {}

VirtualPhone::VirtualPhone(const QString &rootDir, const SeedOptions &seed, QObject *parent)
    : QObject(parent), m_root(rootDir), m_controls(m_modemOut, m_diagOut, m_rules)
{
    m_seeded = seedWhenEmpty(m_root, seed);
    m_modem = std::make_unique<ModemPort>(
        m_root, m_rules, m_anomalies, [this](const QByteArray &b) { m_modemOut.send(b); },
        [this] { m_modemOut.goSilent(); });
    m_modem->sms().setScheduler([this](int ms, std::function<void()> f) { QTimer::singleShot(ms, this, std::move(f)); });
    m_diag = std::make_unique<DiagPort>(
        brewRoot(), m_rules, m_anomalies, [this](const QByteArray &b) { m_diagOut.send(b); },
        [this] { m_diagOut.goSilent(); });
    connect(&m_modemOut, &PortOutput::linkDropped, this, [this] { dropped(Controls::Modem); });
    connect(&m_diagOut, &PortOutput::linkDropped, this, [this] { dropped(Controls::Diag); });
}

VirtualPhone::~VirtualPhone()
{
    for (const QString &l : {m_modemLink, m_diagLink})
        if (!l.isEmpty())
            QFile::remove(l);
}

QString VirtualPhone::obexRoot() const
{
    return obexRootOf(m_root);
}

QString VirtualPhone::brewRoot() const
{
    return brewRootOf(m_root);
}

void VirtualPhone::wire(channel::SerialChannel *serial, PortOutput &out, int port)
{
    if (!serial->isOpen())
        serial->open();
    QPointer<channel::SerialChannel> ch = serial;
    out.setSink([ch](const QByteArray &b) { return ch && ch->write(b); },
                [ch] {
                    if (!ch)
                        return;
                    // A pulled cable: the client's end must see the hang-up.
                    if (auto *fake = qobject_cast<channel::FakeSerialChannel *>(ch.data()))
                        fake->hangUp();
                    else
                        ch->close();
                });
    connect(serial, &channel::SerialChannel::readyRead, this, [this, ch, port] {
        if (!ch)
            return;
        const QByteArray bytes = ch->readAll();
        if (port == Controls::Modem)
            m_modem->feed(bytes);
        else
            m_diag->feed(bytes);
    });
}

void VirtualPhone::attach(channel::SerialChannel *modem, channel::SerialChannel *diag)
{
    if (m_modemChannel)
        disconnect(m_modemChannel, nullptr, this, nullptr);
    if (m_diagChannel)
        disconnect(m_diagChannel, nullptr, this, nullptr);
    m_modemChannel = modem;
    m_diagChannel = diag;
    // A new cable: nothing half-received or queued survives.
    m_modem->reset();
    m_diag->reset();
    m_modemOut.discard();
    m_diagOut.discard();
    wire(modem, m_modemOut, Controls::Modem);
    wire(diag, m_diagOut, Controls::Diag);
}

VirtualPhone::ClientEnds VirtualPhone::plugInProcess(QObject *owner)
{
    auto *phoneModem = new channel::FakeSerialChannel(this);
    auto *phoneDiag = new channel::FakeSerialChannel(this);
    phoneModem->setPortName(QStringLiteral("virtual-modem"));
    phoneDiag->setPortName(QStringLiteral("virtual-diag"));
    ClientEnds ends{new channel::FakeSerialChannel(owner), new channel::FakeSerialChannel(owner)};
    ends.modem->setPortName(QStringLiteral("virtual-modem"));
    ends.diag->setPortName(QStringLiteral("virtual-diag"));
    channel::FakeSerialChannel::connectPair(ends.modem, phoneModem);
    channel::FakeSerialChannel::connectPair(ends.diag, phoneDiag);
    attach(phoneModem, phoneDiag);
    return ends;
}

bool VirtualPhone::linkPty(int port, QString *error)
{
    auto *pty = qobject_cast<PtyChannel *>(port == Controls::Modem ? m_modemChannel.data() : m_diagChannel.data());
    const QString &linkPath = port == Controls::Modem ? m_modemLink : m_diagLink;
    if (!pty)
        return false;
    if (const auto e = pty->open()) {
        if (error)
            *error = e.message;
        return false;
    }
    QFile::remove(linkPath);
    if (!QFile::link(pty->slavePath(), linkPath)) {
        if (error)
            *error = QStringLiteral("The link %1 cannot be made.").arg(linkPath);
        return false;
    }
    return true;
}

bool VirtualPhone::servePtys(const QString &modemLink, const QString &diagLink, QString *error, int replugMs)
{
    m_modemLink = modemLink;
    m_diagLink = diagLink;
    m_replugMs = replugMs;
    auto *modem = new PtyChannel(this);
    auto *diag = new PtyChannel(this);
    modem->setPortName(modemLink);
    diag->setPortName(diagLink);
    for (auto *pty : {modem, diag}) {
        if (const auto e = pty->open()) {
            if (error)
                *error = e.message;
            return false;
        }
    }
    attach(modem, diag);
    m_modemOut.setPieceGap(2);
    m_diagOut.setPieceGap(2);
    // The phone answers from here on, so the links may appear now.
    return linkPty(Controls::Modem, error) && linkPty(Controls::Diag, error);
}

void VirtualPhone::dropped(int port)
{
    (port == Controls::Modem ? m_modemOut : m_diagOut).discard();
    if (port == Controls::Modem)
        m_modem->reset();
    else
        m_diag->reset();
    emit linkDropped(port);
    if (m_replugMs >= 0 && qobject_cast<PtyChannel *>(port == Controls::Modem ? m_modemChannel.data()
                                                                              : m_diagChannel.data())) {
        QTimer::singleShot(m_replugMs, this, [this, port] { linkPty(port, nullptr); });
    }
}

bool VirtualPhone::exportDatabaseFolder(const QString &destination) const
{
    const QDir source(databaseFolderOf(m_root));
    if (!source.exists() || !QDir().mkpath(destination))
        return false;
    bool ok = true;
    for (const QString &name : source.entryList(QDir::Files)) {
        const QString target = QDir(destination).filePath(name);
        QFile::remove(target);
        ok = QFile::copy(source.filePath(name), target) && ok;
    }
    return ok;
}

void VirtualPhone::sendUnsolicited(const QByteArray &line)
{
    m_modem->sendUnsolicited(line);
}

} // namespace vandrel::phonesim
