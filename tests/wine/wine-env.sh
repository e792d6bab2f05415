#!/usr/bin/env bash
# Wine prefixes for the tests: one template per test run, copied for each
# scenario, so that no test sees another's files, registry or mutexes.
#   wine-env.sh template ROOT           make ROOT/template (once per run)
#   wine-env.sh prefix ROOT NAME        make a fresh copy ROOT/scenario-NAME
#   wine-env.sh run ROOT NAME PROGRAM…  run PROGRAM in a fresh copy of it
#   wine-env.sh exec PREFIX COMMAND…    run wine, wineserver… in PREFIX
set -euo pipefail

export WINEARCH=win32 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
# No Mono or Gecko: nothing here needs them, and they would be downloaded.
# A caller's own overrides (for one program under test) come after these.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

make_template() {
  local root=$1 prefix=$1/template
  rm -rf "$prefix" "$root"/scenario-*
  mkdir -p "$root"
  WINEPREFIX=$prefix wineboot -i
  # The dialogs ask for "ＭＳ Ｐゴシック"; Debian's IPA fonts stand in.
  local key='HKCU\Software\Wine\Fonts\Replacements'
  WINEPREFIX=$prefix wine reg add "$key" /v "ＭＳ Ｐゴシック" /d "IPAPGothic" /f >/dev/null
  WINEPREFIX=$prefix wine reg add "$key" /v "ＭＳ ゴシック" /d "IPAGothic" /f >/dev/null
  WINEPREFIX=$prefix wine reg add "$key" /v "MS UI Gothic" /d "IPAPGothic" /f >/dev/null
  # Caption buttons are drawn with Marlett, which Wine loads from the prefix.
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
  # A virtual desktop: Wine then draws the window frames itself and decides
  # activation alone, with no X window manager, so that screenshots show the
  # captions and keyboard input reaches the foreground window reliably.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
  WINEPREFIX=$prefix wineserver -w
}

# Copies the template to a scenario prefix and prints its path.
fresh_prefix() {
  local root=$1 name=$2
  local prefix=$root/scenario-$name
  rm -rf "$prefix"
  cp -a "$root/template" "$prefix"
  echo "$prefix"
}

run_program() {
  local root=$1 name=$2
  shift 2
  local prefix status=0
  prefix=$(fresh_prefix "$root" "$name")
  WINEPREFIX=$prefix wine "$@" || status=$?
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  return "$status"
}

case "${1:-}" in
  template) make_template "$2" ;;
  prefix) fresh_prefix "$2" "$3" ;;
  run) shift; run_program "$@" ;;
  exec) export WINEPREFIX=$2; shift 2; exec "$@" ;;
  *) sed -n '2,7p' "$0" >&2; exit 2 ;;
esac
