#pragma once
// vandrel-cli: command groups are a table; each group's file registers its commands.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace vandrel::link {
class TranscriptWriter;
}

namespace vandrel::cli {

enum class Overwrite { Ask, Yes, No };

struct GlobalOptions {
    // Set by --record: every byte on both ports goes to this transcript.
    std::shared_ptr<link::TranscriptWriter> transcript;
    QString modemPort;
    QString diagPort;
    int speed = 0;          // 0: the saved settings' speeds
    Overwrite overwrite = Overwrite::Ask;
};

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

struct Command {
    QString group;
    QString name;
    QString arguments;      // for the usage text, e.g. "HEX"
    QString summary;
    std::function<int(const GlobalOptions &, const QStringList &args)> run;
};

bool registerCommand(Command command);
const QList<Command> &commands();

// A phone path from the command line: names joined by "/", a trailing "/" changes nothing.
QStringList phonePath(const QString &text);

// One line on stderr in the program's own words.
void fail(const QString &message);
void notice(const QString &message);

} // namespace vandrel::cli
