#include "smsstore.h"

#include <QFile>
#include <QSaveFile>

namespace vandrel::phonesim {

SmsStore::SmsStore(QString file) : m_file(std::move(file))
{
    QFile f(m_file);
    if (!f.open(QIODevice::ReadOnly))
        return;
    // One slot a line: index, state, PDU.
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        bool indexOk = false, stateOk = false;
        const int index = fields.value(0).toInt(&indexOk);
        const int state = fields.value(1).toInt(&stateOk);
        if (fields.size() == 3 && indexOk && stateOk && index >= 1 && index <= lastIndex && state >= 0 && state <= 3)
            m_slots.insert(index, {state, fields[2]});
    }
}

QList<StoredMessage> SmsStore::list(int state) const
{
    QList<StoredMessage> out;
    for (auto it = m_slots.cbegin(); it != m_slots.cend(); ++it)
        if (state == StoredMessage::AnyState || it->state == state)
            out.append({it.key(), it->state, it->pdu});
    return out;
}

std::optional<StoredMessage> SmsStore::at(int index) const
{
    const auto it = m_slots.constFind(index);
    if (it == m_slots.cend())
        return std::nullopt;
    return StoredMessage{index, it->state, it->pdu};
}

int SmsStore::add(int state, const QByteArray &pdu)
{
    for (int i = 1; i <= lastIndex; ++i) {
        if (!m_slots.contains(i)) {
            m_slots.insert(i, {state, pdu});
            save();
            return i;
        }
    }
    return -1;
}

bool SmsStore::remove(int index)
{
    if (!m_slots.remove(index))
        return false;
    save();
    return true;
}

void SmsStore::markRead(const QList<StoredMessage> &messages)
{
    bool changed = false;
    for (const StoredMessage &m : messages) {
        const auto it = m_slots.find(m.index);
        if (it != m_slots.end() && it->state == StoredMessage::ReceivedUnread) {
            it->state = StoredMessage::ReceivedRead;
            changed = true;
        }
    }
    if (changed)
        save();
}

void SmsStore::put(int index, int state, const QByteArray &pdu)
{
    m_slots.insert(index, {state, pdu});
}

bool SmsStore::save() const
{
    QSaveFile f(m_file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    for (auto it = m_slots.cbegin(); it != m_slots.cend(); ++it)
        f.write(QByteArray::number(it.key()) + ' ' + QByteArray::number(it->state) + ' ' + it->pdu + '\n');
    return f.commit();
}

} // namespace vandrel::phonesim
