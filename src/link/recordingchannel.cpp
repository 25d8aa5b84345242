#include "recordingchannel.h"

#include "phonelink.h"
#include "paths.h"
#include "qserialchannel.h"

#include <QFileInfo>

namespace vandrel::link {

using text::TranscriptEntry;

bool TranscriptWriter::open(const QString &path, QString *error)
{
    m_file.close();
    m_file.setFileName(path);
    // Unbuffered: each line reaches the file with the write that made it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = QStringLiteral("the transcript %1 cannot be written: %2").arg(path, m_file.errorString());
        return false;
    }
    m_clock.start();
    m_file.write(text::transcriptHeader() + '\n');
    return true;
}

void TranscriptWriter::record(TranscriptEntry::Port port, TranscriptEntry::Direction direction, const QByteArray &bytes)
{
    if (!m_file.isOpen() || bytes.isEmpty())
        return;
    m_file.write(text::formatTranscriptLine({m_clock.elapsed(), port, direction, bytes}) + '\n');
}

RecordingChannel::RecordingChannel(SerialChannel *inner, std::shared_ptr<TranscriptWriter> writer,
                                   TranscriptEntry::Port port, QObject *parent)
    : SerialChannel(parent), m_inner(inner), m_writer(std::move(writer)), m_port(port)
{
    m_inner->setParent(this);
    connect(m_inner, &SerialChannel::readyRead, this, &SerialChannel::readyRead);
    connect(m_inner, &SerialChannel::aboutToClose, this, &SerialChannel::aboutToClose);
    connect(m_inner, &SerialChannel::opened, this, &SerialChannel::opened);
    connect(m_inner, &SerialChannel::linkLost, this, &SerialChannel::linkLost);
}

bool RecordingChannel::write(const QByteArray &bytes)
{
    const bool ok = m_inner->write(bytes);
    // Only what the driver took went over the wire.
    if (ok)
        m_writer->record(m_port, TranscriptEntry::Direction::ToPhone, bytes);
    return ok;
}

QByteArray RecordingChannel::readAll()
{
    const QByteArray bytes = m_inner->readAll();
    m_writer->record(m_port, TranscriptEntry::Direction::FromPhone, bytes);
    return bytes;
}

std::unique_ptr<PhoneLink> recordedSerialLink(const std::shared_ptr<TranscriptWriter> &writer)
{
    // The buffer sizes of the phone's cable, as for an unrecorded link.
    return std::make_unique<PhoneLink>(new RecordingChannel(new QSerialChannel(65534), writer, TranscriptEntry::Port::Modem),
                                       new RecordingChannel(new QSerialChannel(4096), writer, TranscriptEntry::Port::Diag));
}

namespace {
const QString kTranscriptKey = QStringLiteral("transcript");
const QString kTranscriptFileKey = QStringLiteral("transcriptFile");
} // namespace

QString TranscriptSetting::effectivePath() const
{
    return path.trimmed().isEmpty() ? dataFile(QStringLiteral("transcript.txt")) : path.trimmed();
}

TranscriptSetting loadTranscriptSetting(const QSettings &store)
{
    return {store.value(kTranscriptKey, false).toBool(), store.value(kTranscriptFileKey).toString()};
}

void saveTranscriptSetting(QSettings &store, const TranscriptSetting &setting)
{
    store.setValue(kTranscriptKey, setting.on);
    store.setValue(kTranscriptFileKey, setting.path);
    store.sync();
}

std::shared_ptr<TranscriptWriter> transcriptWriterOf(const PhoneLink &link)
{
    const auto *recording = qobject_cast<const RecordingChannel *>(link.modemPort());
    return recording ? recording->writer() : nullptr;
}

bool applyTranscriptSetting(TranscriptWriter &writer, const TranscriptSetting &setting, QString *error)
{
    if (!setting.on) {
        writer.close();
        return true;
    }
    const QString path = setting.effectivePath();
    if (writer.isOpen() && QFileInfo(writer.path()).absoluteFilePath() == QFileInfo(path).absoluteFilePath())
        return true;
    return writer.open(path, error);
}

} // namespace vandrel::link
