#pragma once
// The small result type of the link codecs: a value, or a text saying why there is none.
#include <QString>
#include <optional>
#include <utility>

namespace vandrel {

template<typename T>
class Checked {
public:
    Checked(T value) : m_value(std::move(value)) {}  // NOLINT: implicit on purpose, reads like `return value;`
    static Checked failure(QString why)
    {
        Checked c;
        c.m_error = std::move(why);
        return c;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    // Empty when ok().
    const QString &error() const { return m_error; }

private:
    Checked() = default;
    std::optional<T> m_value;
    QString m_error;
};

} // namespace vandrel
