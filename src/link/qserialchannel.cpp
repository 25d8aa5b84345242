#include "qserialchannel.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace vandrel::link {

namespace {

bool isPseudoTerminal(const QString &name)
{
    const QString target = QFileInfo(name).canonicalFilePath();
    return target.startsWith(QLatin1String("/dev/pts/")) || target.startsWith(QLatin1String("/dev/pty"));
}

QString portPath(const QString &name)
{
#ifdef Q_OS_UNIX
    // A bare name such as "ttyACM0" means the device; a path (a pseudo-terminal's link)
    // is used as typed.
    if (!name.contains(QLatin1Char('/')))
        return QStringLiteral("/dev/") + name;
#endif
    return name;
}

} // namespace

OpenError openErrorFor(QSerialPort::SerialPortError error, const QString &name, const QString &detail)
{
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::PermissionError:
#ifdef Q_OS_LINUX
        return {OpenError::Kind::Permission,
                QStringLiteral("You may not open the serial port %1 (%2). Add your user to the "
                               "'dialout' group (sudo usermod -aG dialout $USER) and log in again.")
                    .arg(name, detail)};
#else
        return {OpenError::Kind::Permission,
                QStringLiteral("The serial port %1 is in use or you may not open it (%2).").arg(name, detail)};
#endif
    case QSerialPort::DeviceNotFoundError:
        return {OpenError::Kind::NotFound, QStringLiteral("The serial port %1 does not exist (%2).").arg(name, detail)};
    default:
        return {OpenError::Kind::Other, QStringLiteral("The serial port %1 cannot be opened (%2).").arg(name, detail)};
    }
}

QSerialChannel::QSerialChannel(qint64 bufferSize, QObject *parent)
    : SerialChannel(parent), m_bufferSize(bufferSize)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        checkHangUp();
        if (m_port.isOpen())
            emit readyRead();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (!m_port.isOpen())
            return;
        if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError || e == QSerialPort::WriteError)
            lose(m_port.errorString());
    });
    m_hangUpWatch.setInterval(200);
    connect(&m_hangUpWatch, &QTimer::timeout, this, &QSerialChannel::checkHangUp);
}

QSerialChannel::~QSerialChannel()
{
    m_hangUpWatch.stop();
    if (m_port.isOpen())
        m_port.close();
}

void QSerialChannel::setPortName(const QString &name)
{
    m_name = name;
}

void QSerialChannel::setBaudRate(int speed)
{
    m_speed = speed;
    if (m_port.isOpen())
        m_port.setBaudRate(speed);
}

OpenError QSerialChannel::open()
{
    if (m_port.isOpen())
        return {};
    if (m_name.isEmpty())
        return {OpenError::Kind::NotFound, QStringLiteral("No serial port is chosen.")};
    m_port.setPortName(portPath(m_name));
    m_port.setBaudRate(m_speed);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(0); // never drop bytes; sessions take them as they come
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto err = m_port.error();
        const QString detail = m_port.errorString();
        m_port.clearError();
        return openErrorFor(err, m_name, detail);
    }
    // Modem-control lines do not exist on a pseudo-terminal; setting them there would only
    // raise an unsupported-operation error.
    if (!isPseudoTerminal(m_port.portName())) {
        m_port.setDataTerminalReady(false);
        m_port.setRequestToSend(false);
        m_port.clearError();
    }
    m_hangUpWatch.start();
    emit opened();
    return {};
}

void QSerialChannel::close()
{
    m_hangUpWatch.stop();
    if (m_port.isOpen()) {
        emit aboutToClose();
        m_port.close();
    }
    m_port.clearError();
}

bool QSerialChannel::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    const qint64 n = m_port.write(bytes);
    if (n != bytes.size())
        return false;
    // Hand everything to the driver now: callers pause between writes (the escape before
    // AT^SQWE=0), so the bytes must not wait for the event loop.
    m_port.flush();
    return true;
}

QByteArray QSerialChannel::readAll()
{
    if (!m_port.isOpen())
        return {};
    return m_port.readAll();
}

void QSerialChannel::checkHangUp()
{
    if (!m_port.isOpen())
        return;
#ifdef Q_OS_UNIX
    pollfd p{};
    p.fd = int(m_port.handle());
    p.events = POLLIN;
    if (p.fd < 0)
        return;
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        // Keep what arrived before the hang-up for whoever reads next.
        lose(QStringLiteral("The other end of %1 went away.").arg(m_name));
    }
#endif
}

void QSerialChannel::lose(const QString &reason)
{
    if (!m_port.isOpen())
        return;
    close();
    emit linkLost(reason);
}

} // namespace vandrel::link
