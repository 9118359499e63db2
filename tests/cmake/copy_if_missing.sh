#!/usr/bin/env bash
# The build's copy of the default settings puts the file in place where none is, and never
# replaces or changes a settings file that is there, nor a link in its place (whose target
# may be on a disk not mounted now).
#
# Usage: copy_if_missing.sh <cmake> <CopyIfMissing.cmake> <default settings file>
set -euo pipefail
cmake=$1 script=$2 defaults=$3
dir=$(mktemp -d "${TMPDIR:-/tmp}/tunora-copy-if-missing.XXXXXX")
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
copy() { "$cmake" -DSOURCE="$defaults" -DDESTINATION="$1" -P "$script"; }

copy "$dir/初始化配置.ini"
cmp -s "$defaults" "$dir/初始化配置.ini" || fail "a missing settings file was not made from the defaults"

printf '[音乐格式]\r\n格式=ogg\r\n' >"$dir/own.ini"
cp "$dir/own.ini" "$dir/expected.ini"
copy "$dir/own.ini"
cmp -s "$dir/expected.ini" "$dir/own.ini" || fail "an existing settings file was changed"

ln -s "$dir/elsewhere.ini" "$dir/link.ini"
copy "$dir/link.ini"
[ -L "$dir/link.ini" ] || fail "the copy replaced a link in the settings file's place"
[ ! -e "$dir/elsewhere.ini" ] || fail "the copy wrote through a link in the settings file's place"
echo PASS
