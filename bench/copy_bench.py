"""The copy pass against `cp -r` of the same tree, natively and under Wine,
for 1 GiB in files of mixed sizes and for 20,000 small files. Prints one
line per row: "row", workload, ours, reference, ratio (ours / reference),
tab-separated. The trees are laid out in <build>/bench/copy and removed
afterwards.

    python3 bench/copy_bench.py [--build build/native] [--win32 build/win32]"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]
WINE_ENV = SOURCE / "tests/wine/wine-env.sh"
MIB = 1 << 20

# (count, size): 1 GiB from a few large files down to many small ones.
MIXED = [(2, 256 * MIB), (4, 64 * MIB), (16, 8 * MIB), (64, MIB), (256, 128 << 10),
         (1024, 16 << 10), (1, 8 * MIB), (2048, 4 << 10)]
SMALL = [(20_000, 2 << 10)]
FILES_PER_FOLDER = 500


def lay_out(root, sizes):
    """Files of the given counts and sizes, FILES_PER_FOLDER to a folder, of
    random bytes (so that no file system can take a short cut)."""
    rng = random.Random(1)
    block = rng.randbytes(8 * MIB)
    number = 0
    for count, size in sizes:
        for _ in range(count):
            folder = root / f"d{number // FILES_PER_FOLDER:03d}"
            folder.mkdir(parents=True, exist_ok=True)
            with open(folder / f"f{number:05d}.bin", "wb") as f:
                left, offset = size, rng.randrange(len(block) // 2)
                while left:
                    piece = block[offset:offset + min(left, len(block) - offset)]
                    f.write(piece)
                    left -= len(piece)
                    offset = 0
            number += 1


def timed(command, env=None):
    start = time.monotonic()
    subprocess.run(command, check=True, env=env, stdout=subprocess.PIPE)
    return time.monotonic() - start


def reported(command, env=None):
    """The seconds copy_bench reports for its own copy ("N files S s")."""
    out = subprocess.run(command, check=True, env=env, capture_output=True, text=True).stdout
    return float(out.split()[-2])


def fresh(target):
    shutil.rmtree(target, ignore_errors=True)
    subprocess.run(["sync"], check=True)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Wine:
    """A prefix copied from the tests' template, with a display for the
    install form's window: the caller's, or a private Xvfb."""

    def __init__(self, build):
        root = build / "wine"
        if not (root / "template").is_dir():
            subprocess.run([WINE_ENV, "template", root], check=True, capture_output=True)
        self.prefix = Path(subprocess.run([WINE_ENV, "prefix", root, "copy-bench"], check=True,
                                          capture_output=True, text=True).stdout.strip())
        self.env = dict(os.environ)
        self.xvfb = None
        if "DISPLAY" not in self.env:
            read_end, write_end = os.pipe()
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp"],
                                         pass_fds=[write_end], stderr=subprocess.DEVNULL)
            os.close(write_end)
            with os.fdopen(read_end) as announced:
                self.env["DISPLAY"] = ":" + announced.readline().strip()

    def command(self, *args):
        return [WINE_ENV, "exec", self.prefix, "wine", *args]

    def close(self):
        subprocess.run([WINE_ENV, "exec", self.prefix, "wineserver", "-k"], env=self.env)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        shutil.rmtree(self.prefix, ignore_errors=True)


def rows(build, win32, work):
    native = build / "bench/copy_bench"
    exe = win32 / "bench/copy_bench.exe"
    wine = Wine(build)
    try:
        # Wine's start-up is left out of its row: copy_bench times its copy.
        subprocess.run(wine.command("wineboot", "-u"), env=wine.env, check=True, capture_output=True)
        for label, sizes in (("1 GiB in mixed sizes", MIXED), ("20,000 files of 2 KiB", SMALL)):
            source, target = work / "source", work / "target"
            fresh(source)
            lay_out(source, sizes)
            subprocess.run(["sync"], check=True)
            fresh(target)
            cp = timed(["cp", "-r", source, target])
            fresh(target)
            ours = reported([native, source, target])
            yield f"copy pass, {label}, native", ours, cp
            fresh(target)
            ours = reported(wine.command(exe, windows_path(source), windows_path(target)), wine.env)
            yield f"copy pass, {label}, Wine", ours, cp
            fresh(target)
            fresh(source)
    finally:
        wine.close()


def main():
    parser = argparse.ArgumentParser(description="The copy pass against cp -r")
    parser.add_argument("--build", type=Path, default=SOURCE / "build/native")
    parser.add_argument("--win32", type=Path, default=SOURCE / "build/win32")
    args = parser.parse_args()
    work = args.build.resolve() / "bench/copy"
    work.mkdir(parents=True, exist_ok=True)
    try:
        for workload, ours, reference in rows(args.build.resolve(), args.win32.resolve(), work):
            print(f"row\t{workload} (vs cp -r)\t{ours:.2f} s\t{reference:.2f} s\t{ours / reference:.2f}",
                  flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
