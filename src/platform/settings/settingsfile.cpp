#include "settingsfile.h"

#include "inidocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tunora {

namespace {

const QString kFileName = u"初始化配置.ini"_s;

// Far beyond any real settings file; a bigger one is not ours to load into memory.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

bool canCreateFilesIn(const QString &directory)
{
    return ::access(QFile::encodeName(directory).constData(), W_OK | X_OK) == 0;
}

// The file's bytes: empty when it does not exist, nothing when it cannot be read as a file.
std::optional<QByteArray> readBytes(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    // Only regular files: a folder or a pipe in its place must not fail or block us.
    if (!info.isFile() || info.size() > kMaxFileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

SettingsFile::SettingsFile(QString programDirectory)
    : SettingsFile(std::move(programDirectory), canCreateFilesIn)
{
}

SettingsFile::SettingsFile(QString programDirectory, DirectoryProbe isWritableDirectory)
    : m_programDirectory(std::move(programDirectory)), m_isWritableDirectory(std::move(isWritableDirectory))
{
}

QString SettingsFile::programFilePath() const
{
    return m_programDirectory + u'/' + kFileName;
}

QString SettingsFile::path() const
{
    if (m_isWritableDirectory(m_programDirectory))
        return programFilePath();
    const QString configDirectory = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (configDirectory.isEmpty())
        return programFilePath();
    return configDirectory + u"/tunora/"_s + kFileName;
}

// Where an installation keeps the settings a new user starts from: share/tunora/ beside
// the program's bin/ folder.
QString SettingsFile::templateFilePath() const
{
    return QDir::cleanPath(m_programDirectory + u"/../share/tunora/"_s + kFileName);
}

// Rule: use the program directory when writable, else the per-user file; until that one
// exists, read the program directory's file, else the installation's template, and the
// first write carries that content over. Neither of those is ever written.
QString SettingsFile::readPath() const
{
    const QString target = path();
    if (QFileInfo::exists(target))
        return target;
    const QString programFile = programFilePath();
    if (target != programFile && QFileInfo::exists(programFile))
        return programFile;
    const QFileInfo templateFile(templateFilePath());
    // An unreadable template would block every write; start empty instead.
    if (templateFile.isFile() && templateFile.isReadable())
        return templateFile.filePath();
    return target;
}

QString SettingsFile::read(const QString &section, const QString &key) const
{
    const std::optional<QByteArray> bytes = readBytes(readPath());
    if (!bytes)
        return {};
    return IniDocument(*bytes).value(section, key);
}

bool SettingsFile::write(const QString &section, const QString &key, const QString &value) const
{
    const QString target = path();
    const QString source = readPath();
    // Settings we could not read would be lost by rewriting the file.
    const std::optional<QByteArray> bytes = readBytes(source);
    if (!bytes)
        return false;
    IniDocument document(*bytes);
    if (!document.setValue(section, key, value))
        return false;
    const QByteArray out = document.toBytes();
    if (out.size() > kMaxFileBytes)
        return false;
    // Every start writes the folder and the play mode back; when the file already says so,
    // replacing it (and waiting for the disk) changes nothing.
    if (out == *bytes && source == target)
        return true;

    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && !targetInfo.isFile())
        return false;
    // The per-user folder may not exist yet; the program directory is never created.
    if (target != programFilePath() && !QDir().mkpath(targetInfo.absolutePath()))
        return false;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace tunora
