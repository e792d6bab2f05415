"""The demo without a display: the sample distribution installed under Wine
in a fresh prefix and a private Xvfb, its dialogs operated as a user would,
a screenshot of each one kept in <build>/artifacts/demo/.

    python3 tests/e2e/demo.py [--build build/native] [--win32 build/win32]

tests/wine/demo.sh runs it (./project.sh demo)."""

import argparse
import shutil
import sys

from harness import SOURCE, Paths, Scenario

SAMPLE_FOLDER = "SAMPLE"  # C:\SAMPLE, as if copied from the disc
README = "お読み下さい"
MAIN = "INSTALL - みなとビューア"
CHOSEN_VARIANT = 2  # 完全インストール: every item, the sample data too


def named(s, window):
    return {c.name: c for c in s.controls(window) if c.name}


def demo(s):
    shutil.copytree(s.paths.win32 / "sample", s.prefix / "drive_c" / SAMPLE_FOLDER)
    app = s.start(s.prefix / "drive_c" / SAMPLE_FOLDER / "INSTALL.EXE")

    readme = s.wait_window(README)
    s.click(named(s, readme)["btnOK"])

    main = s.wait_window(MAIN)
    item = named(s, main)[f"rgPackage.{CHOSEN_VARIANT}"]
    s.mouse(item)
    s.wait_until(lambda: s.checked(item) == 1, "the chosen variant to be checked")
    s.screenshot(main, "variant-chosen")

    # The install dialog comes next (OK, then Install); until it exists the
    # demo stops here.
    s.click(named(s, main)["btnCancel"])
    code = app.wait_exit()
    if code != 0:
        raise AssertionError(f"INSTALL.EXE ended with exit code {code}")


def run():
    parser = argparse.ArgumentParser(description="Operates the sample installation under Wine")
    parser.add_argument("--build", default=SOURCE / "build/native", help="native build folder")
    parser.add_argument("--win32", default=SOURCE / "build/win32", help="Win32 build folder")
    args = parser.parse_args()
    with Scenario("demo", Paths(args.build, args.win32)) as s:
        demo(s)
    shots = sorted(s.artifacts.glob("*.png"))
    print(f"Screenshots of the demo's dialogs, in {s.artifacts}:")
    for shot in shots:
        print(f"  {shot.name}")


if __name__ == "__main__":
    try:
        run()
    except AssertionError as e:
        sys.exit(f"demo failed: {e}")
