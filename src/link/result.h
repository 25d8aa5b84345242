#pragma once
// How a dialogue with the phone ends. The UI decides what to show from the kind, never by
// reading the detail text.
#include <QString>
#include <utility>

namespace vandrel::link {

enum class FailureKind {
    LinkLost,   // the port failed, closed, or its other end went away
    TimeOut,    // no complete reply within the limit
    Refused,    // the phone answered, but said no
    PhoneError, // the phone answered ERROR where it should have obeyed: it needs a restart
    Malformed,  // the phone sent something that is not a valid reply
    LocalFile,  // a file on the computer could not be read or written
    NotFound,   // a folder or file the dialogue needs does not exist on the phone
    Usage,      // the request itself cannot be carried (a name too long, a bad character)
    PortClosed, // the port was closed on purpose (disconnect, a tab change) while waiting
    Busy,       // another operation holds the port
};

// Failures the user is told in the program's own words (the message table): the detail then
// holds only what the words are about (a file name).
enum class Wording { None, NotEnoughSpace, CannotOpenFile, NoSuchPhoneFile };

struct Outcome {
    enum class Status { Completed, Cancelled, Failed };
    Status status = Status::Completed;
    FailureKind kind = FailureKind::LinkLost;
    QString detail;
    Wording wording = Wording::None;

    static Outcome completed() { return {}; }
    static Outcome cancelled() { return {Status::Cancelled, FailureKind::LinkLost, {}, Wording::None}; }
    static Outcome failed(FailureKind k, QString d) { return {Status::Failed, k, std::move(d), Wording::None}; }
    static Outcome failed(FailureKind k, Wording w, QString subject = {}) { return {Status::Failed, k, std::move(subject), w}; }

    bool ok() const { return status == Status::Completed; }
    bool isCancelled() const { return status == Status::Cancelled; }
    bool isFailed() const { return status == Status::Failed; }
    // Ended because the user cancelled or closed the port: nothing to report.
    bool endedByUser() const { return isCancelled() || (isFailed() && kind == FailureKind::PortClosed); }
    // Failures that end the connection (the fatal link error).
    bool isLinkFailure() const
    {
        return isFailed() &&
               (kind == FailureKind::LinkLost || kind == FailureKind::TimeOut || kind == FailureKind::PhoneError);
    }
};

template <class T>
struct Result {
    Outcome outcome;
    T value{};

    static Result of(T v) { return {Outcome::completed(), std::move(v)}; }
    static Result from(Outcome o) { return {std::move(o), T{}}; }
    bool ok() const { return outcome.ok(); }
};

QString describe(FailureKind kind);

} // namespace vandrel::link
