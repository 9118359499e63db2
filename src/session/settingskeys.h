#pragma once

#include <QString>

// Sections, keys and values of the settings file.
namespace tunora::settings_keys {

inline const QString kFolderSection = QStringLiteral(u"歌曲目录");
inline const QString kFolderKey = QStringLiteral(u"路径");
inline const QString kModeSection = QStringLiteral(u"播放方式");
inline const QString kMinimiseSection = QStringLiteral(u"最小化");
inline const QString kAutoPlaySection = QStringLiteral(u"自动播放");
inline const QString kParamKey = QStringLiteral(u"参数");
inline const QString kFormatSection = QStringLiteral(u"音乐格式");
inline const QString kFormatKey = QStringLiteral(u"格式");

inline const QString kEffectsSection = QStringLiteral(u"铃声效果");
inline const QString kFadeInKey = QStringLiteral(u"淡入");
inline const QString kFadeOutKey = QStringLiteral(u"淡出");
inline const QString kEvenLoudnessKey = QStringLiteral(u"响度统一");
inline const QString kFadeInSecondsKey = QStringLiteral(u"淡入秒数");
inline const QString kFadeOutSecondsKey = QStringLiteral(u"淡出秒数");

inline const QString kRandom = QStringLiteral(u"随机");
inline const QString kLoop = QStringLiteral(u"循环");
inline const QString kYes = QStringLiteral(u"是");
inline const QString kNo = QStringLiteral(u"否");
inline const QString kAuto = QStringLiteral(u"自动");
inline const QString kNoAuto = QStringLiteral(u"不自动");

} // namespace tunora::settings_keys
