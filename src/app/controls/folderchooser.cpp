#include "app/controls/folderchooser.h"

#include "platform/files/filenames.h"
#include "platform/files/fileio.h"
#include "platform/files/filesearch.h"
#include "platform/files/hostpaths.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tunora {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIsParentRole = Qt::UserRole + 1;

// The folder a typed path names: "~" and "~/Music" in the home folder, as a shell reads them,
// a relative path from the folder shown.
FilePath typedFolder(const QString &typed, const FilePath &shown)
{
    if (typed == u'~')
        return homeFolder();
    if (typed.startsWith(QStringLiteral("~/")))
        return homeFolder() / typed.mid(2);
    const FilePath path(typed);
    return path.isAbsolute() ? path : shown / typed;
}

} // namespace

FolderChooser::FolderChooser(const QString &title, const FilePath &startFolder, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    resize(420, 360);
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("folderPath"));
    m_path->setAccessibleName(QStringLiteral(u"文件夹路径"));
    m_entries = new QListWidget(this);
    m_entries->setObjectName(QStringLiteral("subfolders"));
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("folderProblem"));
    m_problem->setTextFormat(Qt::PlainText);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral(u"确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral(u"取消"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_path);
    layout->addWidget(m_entries);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_entries, &QListWidget::itemActivated, this, &FolderChooser::entryActivated);
    m_entries->installEventFilter(this);
    m_path->installEventFilter(this);
    // Absolute, so that ".." always leads up to the root.
    const FilePath start =
        startFolder.isEmpty() || startFolder.isAbsolute() ? startFolder : currentFolder() / startFolder.text();
    showFolder(folderExists(start) ? start.cleaned() : homeFolder());
    m_entries->setFocus();
}

void FolderChooser::showFolder(const FilePath &folder)
{
    m_folder = folder;
    m_path->setText(displayPath(folder.text()));
    m_problem->clear();
    m_entries->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    if (folder.folder() != folder) {
        auto *up = new QListWidgetItem(icon, QStringLiteral(".."), m_entries);
        up->setData(kPathRole, folder.folder().text());
        up->setData(kIsParentRole, true);
    }
    for (const QString &name : findSubfolders(folder)) {
        auto *entry = new QListWidgetItem(icon, displayFileName(name), m_entries);
        entry->setData(kPathRole, (folder / name).text());
    }
}

FilePath FolderChooser::chosenFolder() const
{
    const QList<QListWidgetItem *> selected = m_entries->selectedItems();
    if (selected.isEmpty() || selected.constFirst()->data(kIsParentRole).toBool())
        return m_folder;
    return FilePath(selected.constFirst()->data(kPathRole).toString());
}

bool FolderChooser::eventFilter(QObject *watched, QEvent *event)
{
    // The list and the path box would pass Return on to press 确定, choosing the folder
    // before the user has seen it; Return only goes there.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_path) {
                goToTypedPath();
                return true;
            }
            if (watched == m_entries) {
                if (QListWidgetItem *entry = m_entries->currentItem())
                    entryActivated(entry);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FolderChooser::accept()
{
    if (m_path->isModified() && !goToTypedPath())
        return;
    QDialog::accept();
}

// A path that is no folder is said so, and the typed text stays to be corrected.
bool FolderChooser::goToTypedPath()
{
    const QString typed = m_path->text().trimmed();
    // The box shows a name that is not UTF-8 decoded for reading, which does not lead back
    // to the folder; unchanged (or emptied), it stands for the folder shown.
    if (typed.isEmpty() || typed == displayPath(m_folder.text())) {
        m_path->setText(displayPath(m_folder.text()));
        m_problem->clear();
        return true;
    }
    const FilePath path = typedFolder(typed, m_folder).cleaned();
    if (!folderExists(path)) {
        m_problem->setText(QStringLiteral(u"找不到文件夹：") + typed);
        m_path->setModified(false);
        return false;
    }
    showFolder(path);
    return true;
}

void FolderChooser::entryActivated(QListWidgetItem *entry)
{
    showFolder(FilePath(entry->data(kPathRole).toString()));
}

} // namespace tunora
