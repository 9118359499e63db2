#pragma once

#include "playmode.h"

#include "cutting/ringtoneeffects.h"
#include "library/folderscan.h"
#include "platform/files/filepath.h"
#include "platform/settings/settingsfile.h"

#include <QString>

namespace tunora {

// The program's settings, each key read and written in one place and typed. The file is
// opened afresh for every access, so one edited by hand is seen at once. Only "随机", "是"
// and "自动" switch an option on; writes go out the moment a setting changes.
class SavedSettings {
public:
    explicit SavedSettings(FilePath programDirectory) : m_programDirectory(std::move(programDirectory)) {}

    SettingsFile file() const { return SettingsFile(m_programDirectory); }

    // Empty when none is stored; a stored folder always ends with "/".
    FilePath songFolder() const;
    void setSongFolder(const FilePath &folder) const;
    PlayMode playMode() const;
    void setPlayMode(PlayMode mode) const;
    bool startMinimised() const;
    void setStartMinimised(bool on) const;
    bool autoPlay() const;
    void setAutoPlay(bool on) const;
    MusicFormats musicFormats() const;

    // Section 铃声效果: each effect "是" or "否", the fade lengths in seconds beside them.
    // A length that is missing, not a number or out of range gives the default.
    RingtoneEffects ringtoneEffects() const;
    enum class Effect { FadeIn, FadeOut, EvenLoudness };
    // Writes the effect's switch, and for a fade its length too, so the file shows what to edit.
    void setEffect(Effect effect, bool on) const;

private:
    FilePath m_programDirectory;
};

// A folder as the scan uses and the settings file keeps it: ending with exactly one "/".
FilePath withTrailingSeparator(const FilePath &folder);

} // namespace tunora
