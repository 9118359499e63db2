#pragma once

#include <functional>

class QMainWindow;

namespace tunora {

class PlaybackSession;
struct MainWindowUi;

// The window's keys, all of them here (the README lists them):
// - single keys that act wherever the focus is: Space plays and pauses, I and O take the
//   start and end marks, P previews the end, Left and Right seek. A focused control keeps a
//   key it uses itself: a text box every key it types or moves with, a button Space, a list
//   Space while its current item is not selected (Space selects it);
// - Up and Down in a position box step its mark; Delete and Ctrl+Up/Down in the song list;
// - a shortcut for every button that writes files or rescans and for every menu command;
// - the tab order, from the top left of the window to the bottom right.
// Each key is shown in its control's tooltip and screen-reader description.
//
// Enter (or Return) in a list chooses the item with the keyboard focus, as a double-click
// chooses the item under the mouse: it selects that item and runs what the list's
// double-click runs, `playEntry` in the song-file list and `playRow` in the song list.
void giveWindowKeys(QMainWindow *window, MainWindowUi &ui, PlaybackSession &session,
                    std::function<void()> playEntry, std::function<void()> playRow);

} // namespace tunora
