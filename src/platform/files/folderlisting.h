#pragma once

#include "filepath.h"

#include <QString>

#include <memory>

namespace tunora {

// One pass over the entries of a folder, in the order the system gives them ("." and ".."
// among them where it lists those). The kind of an entry is asked only of the entries that
// need it, which on some file systems costs a call of its own.
class FolderListing {
public:
    // An empty path lists the current folder.
    explicit FolderListing(const FilePath &folder);
    ~FolderListing();
    FolderListing(const FolderListing &) = delete;
    FolderListing &operator=(const FolderListing &) = delete;

    // False when the folder cannot be read; it then lists nothing.
    bool isOpen() const;
    // Moves to the next entry; false after the last.
    bool next();
    // The entry's name, text that leads back to its bytes (filenames.h).
    QString name() const;
    // A link counts as what it leads to.
    bool isRegularFile() const;
    bool isFolder() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace tunora
