#pragma once
// The message table: 226 numbered run-time texts, line N+1 of a language file holding text N.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

namespace vandrel::settings {

class MessageTable {
public:
    static constexpr int Count = 226;

    // Text N, or empty when N was never loaded or is out of range.
    QString text(int n) const { return n >= 0 && n < Count ? m_texts[std::size_t(n)] : QString(); }
    QString operator[](int n) const { return text(n); }

    // Fills the table from a language file's contents (UTF-8, or cp1250 when the bytes are
    // not valid UTF-8): the first 226 lines; missing lines leave their texts empty.
    void loadFileContents(const QByteArray &contents);
    void loadLines(const QStringList &lines);
    void clear() { m_texts.fill(QString()); }

private:
    std::array<QString, Count> m_texts;
};

} // namespace vandrel::settings
