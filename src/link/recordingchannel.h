#pragma once
// Traffic transcripts: a channel that passes everything through to the real port and writes
// each piece read or written, with its time, to a transcript file shared by both ports.
#include "channelnames.h"

#include <core/text/transcript.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
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
    void close() { m_file.close(); }
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
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

    const std::shared_ptr<TranscriptWriter> &writer() const { return m_writer; }

private:
    SerialChannel *m_inner;
    std::shared_ptr<TranscriptWriter> m_writer;
    text::TranscriptEntry::Port m_port;
};

// A link on real ports whose traffic goes to `writer` (one writer may serve several links).
std::unique_ptr<PhoneLink> recordedSerialLink(const std::shared_ptr<TranscriptWriter> &writer);

// The program's transcript setting, stored beside the other settings; off unless chosen.
struct TranscriptSetting {
    bool on = false;
    QString path; // empty: "transcript.txt" in the program's data folder
    QString effectivePath() const;
    bool operator==(const TranscriptSetting &) const = default;
};
TranscriptSetting loadTranscriptSetting(const QSettings &store);
void saveTranscriptSetting(QSettings &store, const TranscriptSetting &setting);

// The writer of a link made by recordedSerialLink; nothing for any other link.
std::shared_ptr<TranscriptWriter> transcriptWriterOf(const PhoneLink &link);
// Starts (a new transcript, unless that file is already being written) or stops writing as the
// setting says; false and `error` when the file cannot be made.
bool applyTranscriptSetting(TranscriptWriter &writer, const TranscriptSetting &setting, QString *error = nullptr);

} // namespace vandrel::link
