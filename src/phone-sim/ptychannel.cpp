#include "ptychannel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vandrel::phonesim {

PtyChannel::PtyChannel(QObject *parent) : channel::SerialChannel(parent) {}

PtyChannel::~PtyChannel()
{
    close();
}

channel::OpenError PtyChannel::open()
{
    if (m_master >= 0)
        return {};
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (master >= 0)
            ::close(master);
        return {channel::OpenError::Kind::Other, QStringLiteral("No pseudo-terminal can be made (%1).").arg(why)};
    }
    const char *slave = ::ptsname(master);
    m_slavePath = slave ? QString::fromLocal8Bit(slave) : QString();
    termios tio{};
    if (::tcgetattr(master, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(master, TCSANOW, &tio);
    }
    // Holding the slave open ourselves keeps the master readable (no hang-up, no EIO) while
    // the client has the port closed between connections.
    m_slaveHold = slave ? ::open(slave, O_RDWR | O_NOCTTY) : -1;
    if (m_slaveHold >= 0 && ::tcgetattr(m_slaveHold, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slaveHold, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyChannel::readMaster);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyChannel::flushPending);
    return {};
}

void PtyChannel::close()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveHold >= 0)
        ::close(m_slaveHold);
    m_master = -1;
    m_slaveHold = -1;
    m_input.clear();
    m_pending.clear();
}

bool PtyChannel::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return false;
    m_pending.append(bytes);
    flushPending();
    return true;
}

void PtyChannel::flushPending()
{
    while (!m_pending.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            m_pending.clear();
        break;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

void PtyChannel::readMaster()
{
    char buffer[4096];
    bool got = false;
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_input.append(buffer, qsizetype(n));
            got = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (got)
        emit readyRead();
}

QByteArray PtyChannel::readAll()
{
    return std::exchange(m_input, {});
}

} // namespace vandrel::phonesim
