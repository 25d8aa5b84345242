#pragma once
// A value or a clear error: what every decoder and writer of the phone's data hands back.
// Malformed input is never a crash and never a silent guess.
#include <QString>
#include <optional>
#include <utility>

namespace vandrel {

template <class T>
class Checked {
public:
    Checked(T value) : m_value(std::move(value)) {}
    static Checked failure(QString why)
    {
        Checked c;
        c.m_error = std::move(why);
        return c;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    const QString &error() const { return m_error; }

private:
    Checked() = default;
    std::optional<T> m_value;
    QString m_error;
};

} // namespace vandrel
