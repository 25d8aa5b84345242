// diag frame HEX, diag unescape HEX: the diagnostic frame codec by hand.
#include "cli.h"

#include <core/diag/frame.h>

#include <QRegularExpression>
#include <QTextStream>
#include <optional>

namespace vandrel::cli {
namespace {

// The arguments joined, blanks and colons ignored: "29 02 00", "290200" and "29:02:00" agree.
std::optional<QByteArray> hexArgument(const QStringList &args)
{
    QString digits = args.join(QString());
    digits.remove(QRegularExpression(QStringLiteral("[\\s:]")));
    static const QRegularExpression hexOnly(QStringLiteral("^([0-9A-Fa-f]{2})+$"));
    if (!hexOnly.match(digits).hasMatch())
        return std::nullopt;
    return QByteArray::fromHex(digits.toLatin1());
}

int runHex(const QStringList &args, const std::function<QByteArray(const QByteArray &)> &transform)
{
    const auto bytes = hexArgument(args);
    if (!bytes) {
        fail(QStringLiteral("expected bytes as pairs of hexadecimal digits, such as \"29 02 00\""));
        return UsageError;
    }
    QTextStream(stdout) << transform(*bytes).toHex(' ').toUpper() << '\n';
    return Success;
}

const bool registeredFrame = registerCommand({
    QStringLiteral("diag"),
    QStringLiteral("frame"),
    QStringLiteral("HEX"),
    QStringLiteral("print the diagnostic frame sent for a payload (escaped, check value, flag)"),
    [](const GlobalOptions &, const QStringList &args) {
        return runHex(args, [](const QByteArray &payload) { return diag::encodeDiagFrame(payload); });
    },
});

const bool registeredUnescape = registerCommand({
    QStringLiteral("diag"),
    QStringLiteral("unescape"),
    QStringLiteral("HEX"),
    QStringLiteral("print a received diagnostic frame with its escapes undone"),
    [](const GlobalOptions &, const QStringList &args) {
        return runHex(args, [](const QByteArray &frame) { return diag::UnescapeDiagFrame(frame); });
    },
});

} // namespace
} // namespace vandrel::cli
