#!/usr/bin/env bash
# lnkinfo against a shortcut written by another writer, the script host's
# WScript.Shell: every property comes back in UTF-8, Japanese included; a
# file that is no shortcut and a call without a file fail. The files live in
# a host folder that every fresh prefix sees as drive Z:.
#   lnkinfo-test.sh WINE_ROOT LNKINFO_EXE
set -euo pipefail
root=$1 lnkinfo=$2
env_sh=$(dirname "$0")/../wine-env.sh
files=$root/lnkinfo-files
rm -rf "$files"
mkdir -p "$files"
windows_files="Z:${files//\//\\}"

run() { "$env_sh" run "$root" lnkinfo "$@"; }

# The script host reads its script in the ANSI code page.
iconv -f UTF-8 -t CP932 >"$files/make-link.js" <<JS
var link = WScript.CreateObject("WScript.Shell").CreateShortcut("${windows_files//\\/\\\\}\\\\ソフト.lnk");
link.TargetPath = "C:\\\\Program Files\\\\ベンダー\\\\ソフト.exe";
link.WorkingDirectory = "C:\\\\Program Files\\\\ベンダー\\\\";
link.Arguments = "/s";
link.Description = "説明";
link.IconLocation = "C:\\\\Program Files\\\\ベンダー\\\\ソフト.exe,2";
link.Save();
JS
run cscript //nologo "$windows_files\\make-link.js"
[ -f "$files/ソフト.lnk" ] || { echo "the script host wrote no shortcut" >&2; exit 1; }

expected='target: C:\Program Files\ベンダー\ソフト.exe
working directory: C:\Program Files\ベンダー\
arguments: /s
description: 説明
icon: C:\Program Files\ベンダー\ソフト.exe
icon index: 2'
actual=$(run "$lnkinfo" "$windows_files\\ソフト.lnk")
if [ "$actual" != "$expected" ]; then
  printf 'lnkinfo printed:\n%s\nexpected:\n%s\n' "$actual" "$expected" >&2
  exit 1
fi

echo 'no shortcut' >"$files/plain.lnk"
status=0; run "$lnkinfo" "$windows_files\\plain.lnk" >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || { echo "a plain file gave exit code $status, not 1" >&2; exit 1; }
status=0; run "$lnkinfo" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || { echo "no argument gave exit code $status, not 2" >&2; exit 1; }
echo "lnkinfo: ok"
