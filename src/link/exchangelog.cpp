#include "exchangelog.h"

#include <QSaveFile>

namespace vandrel::link {

bool ExchangeLog::saveTo(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    for (const auto &line : m_lines) {
        file.write(line);
        file.write("\n");
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace vandrel::link
