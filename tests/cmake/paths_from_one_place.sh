#!/usr/bin/env bash
# Paths come in from the host in one place only (src/platform/files/hostpaths*.cpp), read as
# their bytes. Qt's own path functions decode names and lose those that are not UTF-8 (the
# program's folder then comes back empty), so no other source file may use them.
#
# Usage: paths_from_one_place.sh <src folder>
set -euo pipefail
src=$1
[ -d "$src/platform/files" ] || { echo "no source folder at $src" >&2; exit 1; }
qt_paths='applicationDirPath|applicationFilePath|QStandardPaths|QDir::(homePath|currentPath|tempPath|home|current|temp)\b|\bQDir *[({]|\bQDir +[a-z]|QFileInfo|QSaveFile|\bQFile\b|QFile::(encodeName|decodeName)|QTemporary(Dir|File)|QDirIterator|QLockFile|fromLocalFile|toLocalFile'
found=$(cd "$src" && find . -name '*.cpp' -o -name '*.h' | sort | while read -r file; do
    # hostpaths.cpp and its part for each system (hostpaths_unix.cpp, hostpaths_win.cpp).
    case "$file" in ./platform/files/hostpaths.cpp | ./platform/files/hostpaths_*.cpp) continue ;; esac
    # Comments may name them.
    sed 's|//.*||' "$file" | grep -nE "$qt_paths" | sed "s|^|${file#./}:|" || true
done)
if [ -n "$found" ]; then
    echo "Qt's decoded paths outside src/platform/files/hostpaths*.cpp:" >&2
    echo "$found" >&2
    echo "Take paths from hostpaths.h and work on them as FilePath." >&2
    exit 1
fi
echo "paths come from the host in one place"
