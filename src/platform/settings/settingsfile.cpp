#include "settingsfile.h"

#include "inidocument.h"

#include "platform/files/fileio.h"
#include "platform/files/hostpaths.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace tunora {

namespace {

const QString kFileName = u"初始化配置.ini"_s;

// Far beyond any real settings file; a bigger one is not ours to load into memory.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

// The file's bytes: empty when it does not exist, nothing when it cannot be read as a file.
std::optional<QByteArray> readBytes(const FilePath &path)
{
    if (!fileExists(path))
        return QByteArray();
    // Only regular files (ReadFile opens nothing else): a folder or a pipe in its place must
    // not fail or block us.
    const ReadFile file(path);
    if (!file.isOpen() || file.size() > kMaxFileBytes)
        return std::nullopt;
    QByteArray bytes(file.size(), Qt::Uninitialized);
    const qint64 read = file.readAt(0, bytes.data(), bytes.size());
    if (read < 0)
        return std::nullopt;
    bytes.truncate(read);
    return bytes;
}

} // namespace

SettingsFile::SettingsFile(FilePath programDirectory)
    : SettingsFile(std::move(programDirectory), canCreateFilesIn)
{
}

SettingsFile::SettingsFile(FilePath programDirectory, DirectoryProbe isWritableDirectory)
    : m_programDirectory(std::move(programDirectory)), m_isWritableDirectory(std::move(isWritableDirectory))
{
}

FilePath SettingsFile::programFilePath() const
{
    return m_programDirectory / kFileName;
}

FilePath SettingsFile::path() const
{
    if (m_isWritableDirectory(m_programDirectory))
        return programFilePath();
    return userConfigFolder() / u"tunora/"_s / kFileName;
}

// Where an installation keeps the settings a new user starts from: share/tunora/ beside
// the program's bin/ folder.
FilePath SettingsFile::templateFilePath() const
{
    return (m_programDirectory / u"../share/tunora/"_s / kFileName).cleaned();
}

// Rule: use the program directory when writable, else the per-user file; until that one
// exists, read the program directory's file, else the installation's template, and the
// first write carries that content over. Neither of those is ever written.
FilePath SettingsFile::readPath() const
{
    const FilePath target = path();
    if (fileExists(target))
        return target;
    const FilePath programFile = programFilePath();
    if (target != programFile && fileExists(programFile))
        return programFile;
    // An unreadable template would block every write; start empty instead.
    const FilePath templateFile = templateFilePath();
    if (ReadFile(templateFile).isOpen())
        return templateFile;
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
    const FilePath target = path();
    const FilePath source = readPath();
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

    if (fileExists(target) && !regularFileExists(target))
        return false;
    // The per-user folder may not exist yet; the program directory is never created.
    if (target != programFilePath() && !makeFolders(target.folder()))
        return false;
    AtomicFileWriter file(target);
    return file.write(out.constData(), out.size()) && file.commit();
}

} // namespace tunora
