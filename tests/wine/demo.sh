#!/usr/bin/env bash
# The sample distribution (build/win32/sample) installed under Wine in a
# fresh prefix.
#   demo.sh NATIVE_BUILD [WIN32_BUILD]
# Without DISPLAY the dialogs are operated automatically under Xvfb and a
# screenshot of each is saved in NATIVE_BUILD/artifacts/demo/. With DISPLAY
# the installer opens there for you to drive.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$(dirname "$here")")
build=$(realpath "${1:?usage: demo.sh NATIVE_BUILD [WIN32_BUILD]}")
win32=$(realpath "${2:-$source_dir/build/win32}")

if [ -z "${DISPLAY:-}" ]; then
  exec env PYTHONDONTWRITEBYTECODE=1 python3 "$source_dir/tests/e2e/demo.py" \
    --build "$build" --win32 "$win32"
fi

root=$build/wine
[ -d "$root/template" ] || "$here/wine-env.sh" template "$root"
prefix=$("$here/wine-env.sh" prefix "$root" demo)
cp -r "$win32/sample" "$prefix/drive_c/SAMPLE"
echo "The sample installer runs in $prefix (C:\\SAMPLE\\INSTALL.EXE); close it to end the demo."
status=0
(cd "$prefix/drive_c/SAMPLE" && "$here/wine-env.sh" exec "$prefix" wine INSTALL.EXE) || status=$?
"$here/wine-env.sh" exec "$prefix" wineserver -k 2>/dev/null || true
exit "$status"
