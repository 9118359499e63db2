#include "songfileopener.h"

#include "appcontext.h"
#include "libraryhandlers.h"
#include "listselection.h"
#include "mainwindowui.h"
#include "playbackhandlers.h"
#include "settingskeys.h"

#include "app/desktop.h"
#include "library/folderscan.h"
#include "platform/files/fileio.h"
#include "platform/files/filenames.h"
#include "platform/files/hostpaths.h"

#include <QListView>
#include <QStringListModel>
#include <QTimer>

namespace tunora {

using namespace settings_keys;

namespace {

QString unreadableText(const QString &shownPath)
{
    return QStringLiteral(u"无法打开歌曲：%1\n文件不存在或不可读取。").arg(shownPath);
}

} // namespace

SongFileOpener::SongFileOpener(AppContext &context, LibraryHandlers &library, PlaybackHandlers &playback,
                               QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_library(library)
    , m_playback(playback)
{
}

bool SongFileOpener::open(const FilePath &path)
{
    const FilePath file = absolutePath(path);
    const QString shown = displayPath((file.isEmpty() ? path : file).text());
    if (file.isEmpty() || !ReadFile(file).isOpen()) {
        reportLater(unreadableText(shown));
        return false;
    }
    const FilePath folder = file.folder();
    const QString name = file.text().mid(file.text().lastIndexOf(QLatin1Char('/')) + 1);
    const QString format = m_context.settings().read(kFormatSection, kFormatKey);
    // A song the folder's list would not show could not be double-clicked either.
    if (!formatListsName(format, name)) {
        reportLater(QStringLiteral(u"无法播放歌曲：%1\n它的格式不在音乐格式（%2）之中。").arg(shown, format));
        return false;
    }

    m_library.useSongFolder(folder);
    const int entry = int(m_context.ui.songFiles->stringList().indexOf(name));
    if (entry < 0) { // gone between the check and the scan
        reportLater(unreadableText(shown));
        return false;
    }
    selectRow(m_context.ui.songFileList, entry);
    m_playback.playEntry();
    return true;
}

bool SongFileOpener::openFirst(const QList<FilePath> &paths)
{
    for (const FilePath &path : paths) {
        if (open(path))
            return true;
    }
    return false;
}

void SongFileOpener::reportLater(const QString &text)
{
    QTimer::singleShot(0, this, [this, text] {
        m_context.desktop.showMessage(text, MessageStyle::Error, QStringLiteral(u"错误"));
    });
}

} // namespace tunora
