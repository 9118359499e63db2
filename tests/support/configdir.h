#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

namespace tunora::test {

// A user configuration directory of the test's own: XDG_CONFIG_HOME names a temporary
// folder while this object lives and is put back as it was afterwards.
class TemporaryConfigHome {
public:
    TemporaryConfigHome()
        : m_hadValue(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        , m_oldValue(qgetenv("XDG_CONFIG_HOME"))
    {
        if (m_dir.isValid())
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    }
    ~TemporaryConfigHome()
    {
        if (m_hadValue)
            qputenv("XDG_CONFIG_HOME", m_oldValue);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    TemporaryConfigHome(const TemporaryConfigHome &) = delete;
    TemporaryConfigHome &operator=(const TemporaryConfigHome &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // Where the program keeps its per-user settings file.
    QString settingsFile() const { return m_dir.path() + QStringLiteral(u"/tunora/初始化配置.ini"); }

private:
    QTemporaryDir m_dir;
    bool m_hadValue;
    QByteArray m_oldValue;
};

} // namespace tunora::test
