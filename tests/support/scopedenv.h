#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace tunora::test {

// An environment variable set (or, with no value, unset) while this object lives, and put
// back as it was afterwards.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char *name, std::optional<QByteArray> value)
        : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        set(value);
    }
    ~ScopedEnvironmentVariable() { set(m_old); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable &) = delete;
    ScopedEnvironmentVariable &operator=(const ScopedEnvironmentVariable &) = delete;

private:
    void set(const std::optional<QByteArray> &value) const
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }

    const char *m_name;
    std::optional<QByteArray> m_old;
};

} // namespace tunora::test
