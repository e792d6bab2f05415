#!/usr/bin/env bash
# One entry for the usual jobs; see README.md.
#   ./project.sh setup   install the Debian packages the build and tests need
#   ./project.sh build   build INSTALL.EXE, the package tool and all tests
#   ./project.sh test    setup + build + every test (what CI runs)
#   ./project.sh fuzz [SECONDS]  run each fuzz target SECONDS long (30)
#   ./project.sh bench   run every benchmark and print one table
#   ./project.sh demo    install the sample product under Wine
set -euo pipefail
cd "$(dirname "$0")"

# Everything the build, the tests and the demo need, from Debian.
PACKAGES=(
  cmake ninja-build g++ pkg-config
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-tools
  googletest libgtest-dev libgmock-dev
  libtomlplusplus-dev libcli11-dev libmspack-dev
  wine wine32:i386 xvfb xauth x11-utils imagemagick
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-wine locales
  7zip mscompress python3 curl
  clang libclang-rt-14-dev e2fsprogs
)

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

setup() {
  local missing
  missing=$(missing_packages)
  if [ -n "$missing" ]; then
    echo "Installing: $missing" >&2
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    as_root apt-get update -q
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends $missing
  fi
  # Wine takes code page 932 from a Japanese locale.
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    as_root locale-gen >/dev/null
  fi
}

# Native first: the Win32 tree builds its packages with the native pkgtool.
build() {
  cmake --preset native >/dev/null
  cmake --build --preset native
  cmake --preset win32 >/dev/null
  cmake --build --preset win32
}

run_tests() {
  ctest --preset native -j "$(nproc)"
  fuzz 30
}

# The fuzz tree (clang, libFuzzer, ASan, UBSan) beside the g++ ones; its
# ctest entries run each target for the given time.
fuzz() {
  local seconds=${1:-30}
  cmake --preset fuzz -DSETUP_FUZZ_SECONDS="$seconds" >/dev/null
  cmake --build --preset fuzz
  rm -f build/fuzz/fuzz/corpus/*.runs
  local status=0
  ctest --preset fuzz -j "$(nproc)" || status=$?
  cat build/fuzz/fuzz/corpus/*.runs
  return "$status"
}

# The benchmarks in bench/, each printing its rows (workload, ours,
# reference, ratio of our time to the reference's), and the program's size
# against its budget, in one table.
# A name ending in .py is a script in bench/ (the copy pass against cp, which
# runs the native and the Win32 build's programs); the others are programs of
# the native tree.
BENCHMARKS=(load_bench szdd_bench download_bench copy_bench.py)
INSTALL_EXE_BUDGET_KIB=384

# One benchmark's rows; what it says besides goes to build/native/bench/NAME.log.
bench_rows() {
  local name=$1 out command=(build/native/bench/"$1")
  [[ $name == *.py ]] && command=(python3 bench/"$name")
  if ! out=$("${command[@]}" 2>"build/native/bench/$name.log"); then
    echo "$name failed:" >&2
    cat "build/native/bench/$name.log" >&2
    return 1
  fi
  grep $'^row\t' <<<"$out" | cut -f2-
}

bench() {
  build
  local rows name size
  rows=$(for name in "${BENCHMARKS[@]}"; do bench_rows "$name"; done)
  size=$(stat -c %s build/win32/src/INSTALL.EXE)
  rows+=$'\n'$(awk -v size="$size" -v budget="$INSTALL_EXE_BUDGET_KIB" 'BEGIN {
    printf "INSTALL.EXE size (vs its budget)\t%.1f KiB\t%d KiB\t%.2f\n", size / 1024, budget, size / 1024 / budget }')
  printf 'workload\tours\treference\tratio (ours / reference)\n%s\n' "$rows" | awk -F '\t' '
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
    END { for (r = 1; r <= NR; r++) printf "%-*s  %*s  %*s  %*s\n", width[1], cell[r, 1], width[2], cell[r, 2],
                                             width[3], cell[r, 3], width[4], cell[r, 4] }'
}

case "${1:-}" in
  setup) setup ;;
  build) build ;;
  test) setup; build; run_tests ;;
  fuzz) fuzz "${2:-30}" ;;
  bench) bench ;;
  demo) build; exec tests/wine/demo.sh build/native ;;
  *) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
esac
