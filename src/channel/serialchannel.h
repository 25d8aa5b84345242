#pragma once
// One serial port, as the sessions see it: open with the link's fixed line settings, write,
// take what has arrived, and be told when bytes arrive or the link goes away.
#include <QByteArray>
#include <QObject>
#include <QString>

namespace vandrel::channel {

struct OpenError {
    enum class Kind { None, NotFound, Permission, Busy, Other };
    Kind kind = Kind::None;
    QString message; // a full sentence for the user
    explicit operator bool() const { return kind != Kind::None; }
};

class SerialChannel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialChannel() override = default;

    virtual void setPortName(const QString &name) = 0;
    virtual QString portName() const = 0;
    virtual void setBaudRate(int speed) = 0;
    virtual int baudRate() const = 0;

    virtual OpenError open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Hands the bytes to the driver; false when the port is closed or the write failed.
    virtual bool write(const QByteArray &bytes) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray readAll() = 0;

signals:
    void readyRead();
    // Emitted by close() while the port is still open, so what arrived can still be read.
    void aboutToClose();
    // A successful open(): a new connection begins.
    void opened();
    // The other end went away or the port failed; the channel is closed when this is emitted.
    void linkLost(const QString &reason);
};

} // namespace vandrel::channel
