#pragma once

#include "app/desktop/desktop.h"

#include <QList>
#include <QStringList>

namespace tunora::test {

// Records what the program asks of the desktop, and answers the folder chooser from a queue.
class FakeDesktop : public Desktop {
public:
    struct Message {
        QString text;
        MessageStyle style;
        QString title;
    };

    FilePath browseForFolder(const QString &title, const FilePath &startFolder) override
    {
        browseTitles.append(title);
        browseStarts.append(startFolder.text());
        return folderAnswers.isEmpty() ? FilePath() : FilePath(folderAnswers.takeFirst());
    }
    void showMessage(const QString &text, MessageStyle style, const QString &title) override
    {
        messages.append({text, style, title});
    }
    bool hasSystemTray() const override { return trayAvailable; }
    bool minimisesUnshownWindows() const override { return !waylandLike; }

    QStringList folderAnswers;
    QStringList browseTitles;
    QStringList browseStarts;
    QList<Message> messages;
    bool trayAvailable = true;
    // A platform that opens a window minimised before its first show anyway (Wayland).
    bool waylandLike = false;
};

} // namespace tunora::test
