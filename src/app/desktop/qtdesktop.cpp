#include "app/desktop/qtdesktop.h"

#include "app/controls/folderchooser.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

namespace tunora {

FilePath QtDesktop::browseForFolder(const QString &title, const FilePath &startFolder)
{
    FolderChooser chooser(title, startFolder, m_window);
    return chooser.exec() == QDialog::Accepted ? chooser.chosenFolder() : FilePath();
}

void QtDesktop::showMessage(const QString &text, MessageStyle style, const QString &title)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    if (style == MessageStyle::Error)
        icon = QMessageBox::Critical;
    else if (style == MessageStyle::Exclamation)
        icon = QMessageBox::Warning;
    QMessageBox box(icon, title, text, QMessageBox::Ok, m_window);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse); // a path in it can be copied
    box.exec();
}

bool QtDesktop::hasSystemTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtDesktop::minimisesUnshownWindows() const
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace tunora
