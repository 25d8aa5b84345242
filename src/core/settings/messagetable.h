#pragma once
// The message table: 226 numbered run-time texts, line N+1 of a language file holding text N.
#include "messageids.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

namespace vandrel::settings {

class MessageTable {
public:
    static constexpr int Count = 226;

    // Text N, or empty when N was never loaded or is out of range.
    QString text(Msg m) const { return text(int(m)); }
    QString text(int n) const { return n >= 0 && n < Count ? m_texts[std::size_t(n)] : QString(); }

    // Fills the table from a language file's contents (UTF-8, or cp1250 when the bytes are
    // not valid UTF-8): the first 226 lines; missing lines leave their texts empty.
    void loadFileContents(const QByteArray &contents);
    void loadLines(const QStringList &lines);
    void clear() { m_texts.fill(QString()); }

private:
    std::array<QString, Count> m_texts;
};

// The lines of a small text file: UTF-8 (a byte-order mark is dropped), or cp1250 when the
// bytes are not valid UTF-8; CR LF or LF line ends; a final line end adds no empty line.
QStringList textFileLines(const QByteArray &contents);

// The four language codes, in the order of the settings window's language list.
const QStringList &languageCodes();
// The code a language file is looked up by: any code other than the four (compared exactly)
// becomes "EN".
QString effectiveLanguageCode(const QString &code);

} // namespace vandrel::settings
