#pragma once

#include "platform/files/filepath.h"

#include <QString>

#include <functional>

namespace tunora {

// The settings file `初始化配置.ini`, an INI file (see inidocument.h for its format).
// Its place is decided afresh for every access; nothing is cached, so a file edited by hand
// while the program runs is seen by the next read or write.
class SettingsFile {
public:
    using DirectoryProbe = std::function<bool(const FilePath &directory)>;

    explicit SettingsFile(FilePath programDirectory);
    // Tests decide what counts as a writable program directory.
    SettingsFile(FilePath programDirectory, DirectoryProbe isWritableDirectory);

    // Where writes go: next to the program when its directory is writable, else the
    // per-user file "tunora/初始化配置.ini" in the user's configuration directory. A file not
    // there yet starts from the installation's template, "../share/tunora/初始化配置.ini"
    // from the program directory.
    FilePath path() const;

    // Missing file, section or key, or an unreadable file: empty text. Never creates the file.
    QString read(const QString &section, const QString &key) const;

    // Creates file, section and key as needed and replaces the first existing value; every
    // other line stays as it was. The file is replaced atomically, so a failed write (false)
    // leaves it untouched.
    bool write(const QString &section, const QString &key, const QString &value) const;

private:
    FilePath programFilePath() const;
    FilePath templateFilePath() const;
    FilePath readPath() const;

    FilePath m_programDirectory;
    DirectoryProbe m_isWritableDirectory;
};

} // namespace tunora
