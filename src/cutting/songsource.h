#pragma once

#include <QString>

// Where a row's song file is: the song folder shown in the caption of 标签2, then the row's
// file name.
namespace tunora {

// The caption of 标签2 is this prefix followed by the song folder.
inline const QString kSongFolderCaptionPrefix = QStringLiteral(u"歌曲路径：");

// The song folder held by the caption of 标签2: the caption without its first characters,
// as many as the prefix has (whatever they are); empty when the caption is no longer.
QString songFolderFromCaption(const QString &caption);

// The folder ends with "/", so the name is appended as it is.
QString sourcePath(const QString &songFolder, const QString &name);

} // namespace tunora
