#include "app/panels/libraryhandlers.h"

#include "app/window/appcontext.h"
#include "app/controls/listselection.h"
#include "app/window/mainwindowui.h"
#include "app/controls/searchcombobox.h"

#include "library/songsearch.h"
#include "platform/files/filenames.h"
#include "app/desktop/desktop.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

namespace tunora {

LibraryHandlers::LibraryHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    connect(m_context.ui.refreshButton, &QPushButton::clicked, this, &LibraryHandlers::onRefreshClicked);
    connect(m_context.ui.songFolderItem, &QAction::triggered, this, &LibraryHandlers::onSongFolderChosen);

    SearchComboBox *box = m_context.ui.searchBox;
    // Only the user's typing is search text: the drop-down rebuild and a chosen entry
    // change the edit text too, and must not replace what was typed.
    box->setCompleter(nullptr);
    // A search for "mp3" lists the whole library; rows of one height keep that drop-down
    // quick to open.
    if (auto *dropDown = qobject_cast<QListView *>(box->view()))
        dropDown->setUniformItemSizes(true);
    connect(box->lineEdit(), &QLineEdit::textEdited, this, &LibraryHandlers::searchTextEdited);
    connect(box, &SearchComboBox::popupAboutToShow, this, &LibraryHandlers::searchDropDownOpening);
    connect(box, &QComboBox::activated, this, &LibraryHandlers::searchEntryChosen);

    PlaybackSession &session = m_context.session;
    connect(&session, &PlaybackSession::songFolderChanged, this,
            [this](const FilePath &folder) { m_context.ui.songFolderLabel->setName(folder.text()); });
    connect(&session, &PlaybackSession::songsChanged, this, &LibraryHandlers::showSongs);
}

void LibraryHandlers::showSongs()
{
    m_context.ui.songFiles->setStringList(m_context.session.songNames());
}

void LibraryHandlers::onRefreshClicked()
{
    m_context.session.refresh();
}

void LibraryHandlers::onSongFolderChosen()
{
    PlaybackSession &session = m_context.session;
    const FilePath chosen = m_context.desktop.browseForFolder(QStringLiteral(u"选择音乐文件夹"), session.songFolder());
    if (!chosen.isEmpty())
        session.useSongFolder(chosen);
}

void LibraryHandlers::searchTextEdited(const QString &text)
{
    m_context.searchText = text;
}

void LibraryHandlers::searchDropDownOpening()
{
    SearchComboBox *box = m_context.ui.searchBox;
    const QString text = m_context.searchText;
    box->clear();
    // Each entry shows the name as the song-file list does and carries the file's name.
    for (const QString &song : songsContaining(m_context.ui.songFiles->stringList(), text))
        box->addItem(displayFileName(song), song);
    // Adding entries makes the first one current and its text the edit text; the typed
    // text stays instead, with no entry current.
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void LibraryHandlers::searchEntryChosen(int index)
{
    const QVariant name = m_context.ui.searchBox->itemData(index);
    const QString song = name.isValid() ? name.toString() : m_context.ui.searchBox->itemText(index);
    const int entry = int(m_context.ui.songFiles->stringList().indexOf(song));
    if (entry >= 0)
        selectRow(m_context.ui.songFileList, entry);
}

} // namespace tunora
