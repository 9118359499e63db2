#include "libraryhandlers.h"

#include "appcontext.h"
#include "mainwindowui.h"
#include "settingskeys.h"

#include "library/folderscan.h"
#include "platform/desktop.h"
#include "platform/mediaplayer.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStringListModel>

namespace tunora {

using namespace settings_keys;

QString withTrailingSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

LibraryHandlers::LibraryHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    connect(m_context.ui.按钮7, &QPushButton::clicked, this, &LibraryHandlers::按钮7Clicked);
    connect(m_context.ui.歌曲目录, &QAction::triggered, this, &LibraryHandlers::歌曲目录Chosen);
}

void LibraryHandlers::scanSongFolder()
{
    const QString &folder = m_context.songFolder;
    const SettingsFile settings = m_context.settings();
    settings.write(kFolderSection, kFolderKey, folder);
    m_context.ui.标签2->setText(ui_text::kSongFolderPrefix + folder);
    const QString format = settings.read(kFormatSection, kFormatKey);
    FolderScan scan = scanFolder(folder, format);
    m_context.ui.songFiles->setStringList(scan.entries);
    m_context.player.setPlaylist(scan.paths);
}

void LibraryHandlers::按钮7Clicked()
{
    if (m_context.songFolder.isEmpty()) {
        m_context.songFolder = withTrailingSeparator(m_context.programDirectory);
        m_context.ui.标签2->setText(ui_text::kSongFolderPrefix + m_context.songFolder);
    }
    scanSongFolder();
}

void LibraryHandlers::歌曲目录Chosen()
{
    const QString chosen = m_context.desktop.browseForFolder(QStringLiteral(u"选择音乐文件夹"));
    if (chosen.isEmpty())
        return;
    m_context.songFolder = withTrailingSeparator(chosen);
    scanSongFolder();
}

} // namespace tunora
