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

namespace {

// Longer fades than this would swallow a ringtone; shorter ones are a click, not a fade.
constexpr double kShortestFade = 0.05;
constexpr double kLongestFade = 60.0;

double fadeSeconds(const SettingsFile &file, const QString &key, double fallback)
{
    bool ok = false;
    const double seconds = file.read(kEffectsSection, key).trimmed().toDouble(&ok);
    return ok && seconds >= kShortestFade && seconds <= kLongestFade ? seconds : fallback;
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'g', 6);
}

} // namespace

RingtoneEffects SavedSettings::ringtoneEffects() const
{
    const SettingsFile settings = file();
    RingtoneEffects effects;
    effects.fadeIn = settings.read(kEffectsSection, kFadeInKey) == kYes;
    effects.fadeOut = settings.read(kEffectsSection, kFadeOutKey) == kYes;
    effects.evenLoudness = settings.read(kEffectsSection, kEvenLoudnessKey) == kYes;
    effects.fadeInSeconds = fadeSeconds(settings, kFadeInSecondsKey, effects.fadeInSeconds);
    effects.fadeOutSeconds = fadeSeconds(settings, kFadeOutSecondsKey, effects.fadeOutSeconds);
    return effects;
}

void SavedSettings::setEffect(Effect effect, bool on) const
{
    const SettingsFile settings = file();
    const RingtoneEffects current = ringtoneEffects();
    switch (effect) {
    case Effect::FadeIn:
        settings.write(kEffectsSection, kFadeInKey, on ? kYes : kNo);
        settings.write(kEffectsSection, kFadeInSecondsKey, secondsText(current.fadeInSeconds));
        break;
    case Effect::FadeOut:
        settings.write(kEffectsSection, kFadeOutKey, on ? kYes : kNo);
        settings.write(kEffectsSection, kFadeOutSecondsKey, secondsText(current.fadeOutSeconds));
        break;
    case Effect::EvenLoudness:
        settings.write(kEffectsSection, kEvenLoudnessKey, on ? kYes : kNo);
        break;
    }
}

} // namespace tunora
