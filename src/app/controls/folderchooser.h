#pragma once

#include "platform/files/filepath.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace tunora {

// The folder chooser of 歌曲目录. Qt's file dialog decodes file names lossily, so a folder
// whose name is not valid UTF-8 (a GBK name from a Windows archive) could be shown but never
// chosen; this one keeps every name as its bytes (filenames.h). It lists the subfolders of
// one folder: opening an entry goes into it, ".." goes up, and a path typed or pasted into
// the path box goes there on Return. OK chooses the selected subfolder, or the folder shown
// when none is selected; a path typed but not yet gone to is gone to first. It opens on the start folder, or the home folder when that is none.
class FolderChooser : public QDialog {
    Q_OBJECT
public:
    FolderChooser(const QString &title, const FilePath &startFolder, QWidget *parent = nullptr);

    // The folder whose subfolders are listed.
    FilePath shownFolder() const { return m_folder; }
    void showFolder(const FilePath &folder);
    // What OK stands for: the selected subfolder, else the folder shown.
    FilePath chosenFolder() const;

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void entryActivated(QListWidgetItem *entry);
    bool goToTypedPath();

    FilePath m_folder;
    QLineEdit *m_path = nullptr;
    QLabel *m_problem = nullptr;
    QListWidget *m_entries = nullptr;
};

} // namespace tunora
