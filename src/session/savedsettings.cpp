#include "savedsettings.h"

#include "settingskeys.h"

namespace tunora {

using namespace settings_keys;

FilePath withTrailingSeparator(const FilePath &folder)
{
    const QString &text = folder.text();
    return text.endsWith(QLatin1Char('/')) ? folder : FilePath(text + QLatin1Char('/'));
}

FilePath SavedSettings::songFolder() const
{
    const QString folder = file().read(kFolderSection, kFolderKey);
    // A hand-edited folder without its separator still names that folder.
    return folder.isEmpty() ? FilePath() : withTrailingSeparator(FilePath(folder));
}

void SavedSettings::setSongFolder(const FilePath &folder) const
{
    file().write(kFolderSection, kFolderKey, folder.text());
}

PlayMode SavedSettings::playMode() const
{
    return file().read(kModeSection, kParamKey) == kRandom ? PlayMode::Random : PlayMode::Loop;
}

void SavedSettings::setPlayMode(PlayMode mode) const
{
    file().write(kModeSection, kParamKey, mode == PlayMode::Random ? kRandom : kLoop);
}

bool SavedSettings::startMinimised() const
{
    return file().read(kMinimiseSection, kParamKey) == kYes;
}

void SavedSettings::setStartMinimised(bool on) const
{
    file().write(kMinimiseSection, kParamKey, on ? kYes : kNo);
}

bool SavedSettings::autoPlay() const
{
    return file().read(kAutoPlaySection, kParamKey) == kAuto;
}

void SavedSettings::setAutoPlay(bool on) const
{
    file().write(kAutoPlaySection, kParamKey, on ? kAuto : kNoAuto);
}

MusicFormats SavedSettings::musicFormats() const
{
    return MusicFormats::parse(file().read(kFormatSection, kFormatKey));
}

} // namespace tunora
