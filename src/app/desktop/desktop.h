#pragma once

#include "platform/files/filepath.h"

#include <QString>

namespace tunora {

// Message-box styles, by the icon they show.
enum class MessageStyle : int { Error = 16, Exclamation = 48, Information = 64 };

// The desktop services the handlers call: dialogs, message boxes and whether a tray
// exists. Window tests replace it; the real one shows real dialogs.
class Desktop {
public:
    virtual ~Desktop() = default;

    // The chosen folder, or an empty path when the user cancels. The chooser opens on
    // startFolder when that is a folder (the current song folder), else the home folder.
    virtual FilePath browseForFolder(const QString &title, const FilePath &startFolder) = 0;
    // Modal, one OK button; returns when dismissed.
    virtual void showMessage(const QString &text, MessageStyle style, const QString &title) = 0;
    virtual bool hasSystemTray() const = 0;
    // Whether a window minimised before it is first shown opens minimised. Wayland ignores
    // the state until the window is mapped.
    virtual bool minimisesUnshownWindows() const = 0;
};

} // namespace tunora
