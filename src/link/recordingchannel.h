#pragma once
// Traffic transcripts: a channel that passes everything through to the real port and writes
// each piece read or written, with its time, to a transcript file shared by both ports.
#include "channelnames.h"

#include <core/text/transcript.h>

#include <QElapsedTimer>
#include <QFile>
#include <memory>

namespace vandrel::link {

class PhoneLink;

// One transcript file. Every line is written with one write() and flushed at once, so a crash
// leaves each line written so far whole.
class TranscriptWriter {
public:
    // Starts a new transcript at `path` (replacing an old one); false and `error` when it
    // cannot be made.
    bool open(const QString &path, QString *error = nullptr);
    bool isOpen() const { return m_file.isOpen(); }
    void record(text::TranscriptEntry::Port port, text::TranscriptEntry::Direction direction, const QByteArray &bytes);

private:
    QFile m_file;
    QElapsedTimer m_clock;
};

class RecordingChannel final : public SerialChannel {
    Q_OBJECT
public:
    // Takes ownership of `inner`; the writer must outlive the channel.
    RecordingChannel(SerialChannel *inner, std::shared_ptr<TranscriptWriter> writer, text::TranscriptEntry::Port port,
                     QObject *parent = nullptr);

    void setPortName(const QString &name) override { m_inner->setPortName(name); }
    QString portName() const override { return m_inner->portName(); }
    void setBaudRate(int speed) override { m_inner->setBaudRate(speed); }
    int baudRate() const override { return m_inner->baudRate(); }
    OpenError open() override { return m_inner->open(); }
    void close() override { m_inner->close(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    bool write(const QByteArray &bytes) override;
    qint64 bytesAvailable() const override { return m_inner->bytesAvailable(); }
    QByteArray readAll() override;

private:
    SerialChannel *m_inner;
    std::shared_ptr<TranscriptWriter> m_writer;
    text::TranscriptEntry::Port m_port;
};

// A link on real ports whose traffic goes to `writer` (one writer may serve several links).
std::unique_ptr<PhoneLink> recordedSerialLink(const std::shared_ptr<TranscriptWriter> &writer);

} // namespace vandrel::link
