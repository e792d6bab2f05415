"""The demo without a display: the sample product installed completely under
Wine in a fresh prefix and a private Xvfb, its dialogs and messages operated
as a user would (readme OK; a variant, OK; Install; the completion message
OK; the player question No), a screenshot of each one kept in
<build>/artifacts/demo/; then where the files, shortcuts and registry values
went.

    python3 tests/e2e/demo.py [--build build/native] [--win32 build/win32]

tests/wine/demo.sh runs it (./project.sh demo)."""

import argparse
import shutil
import sys

from harness import SOURCE, Paths, Scenario

SAMPLE_FOLDER = "SAMPLE"  # C:\SAMPLE, as if copied from the disc
VENDOR = "みなと工房"
PRODUCT = "みなとビューア"
MAIN_PROGRAM = "VIEWER.EXE"
README = "お読み下さい"
MAIN = "INSTALL - " + PRODUCT
INSTALL = "インストール"
MESSAGES = "INSTALL"  # the program's name captions its messages
PLAYER = "情報"
CHOSEN_VARIANT = 2  # 完全インストール: every item, the sample data too

MACHINE_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
REGISTRY = [
    (f"HKLM\\SOFTWARE\\{VENDOR}\\{PRODUCT}\\CurrentVersion",
     ("Version", "InstallDirectory", "ShortcutDirectory", "InstallMode")),
    (f"{MACHINE_KEY}\\App Paths\\{MAIN_PROGRAM}", ("", "Path")),
    (f"{MACHINE_KEY}\\Uninstall\\{PRODUCT}", ("DisplayName", "UninstallString")),
]


def named(s, window):
    return {c.name: c for c in s.controls(window) if c.name}


def answer(s, caption, button):
    """Answers the box with this caption by the button whose text starts
    with button (Wine's Japanese boxes add an access key, "いいえ(&N)")."""
    box = s.wait_message_box(caption)
    s.answer(box, next(t for t in box.button_texts if t.startswith(button)))
    return box.text


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
    s.click(named(s, main)["btnOK"])

    dialog = s.wait_window(INSTALL)
    s.click(named(s, dialog)["btnInstall"])
    done = answer(s, MESSAGES, "OK")
    if not done.startswith("インストールが完了しました"):
        raise AssertionError(f"the installation ended with {done!r}")
    answer(s, PLAYER, "いいえ")
    code = app.wait_exit()
    if code != 0:
        raise AssertionError(f"INSTALL.EXE ended with exit code {code}")
    return report(s)


def report(s):
    """Where the installation put its files, shortcuts and registry values,
    as lines to print."""
    values = {(key, name): s.reg_get(key, name) for key, names in REGISTRY for name in names}
    lines = []
    for title, folder in (("Files", "InstallDirectory"), ("Shortcuts", "ShortcutDirectory")):
        windows_folder = values[(REGISTRY[0][0], folder)][1]
        host = s.host_path(windows_folder)
        lines.append(f"{title} in {windows_folder}:")
        for entry in sorted(host.rglob("*")):
            relative = str(entry.relative_to(host)).replace("/", "\\")
            if entry.is_dir():
                lines.append(f"  {relative}\\")
            else:
                lines.append(f"  {relative}" + shortcut_target(s, windows_folder + relative))
    lines.append("Registry values:")
    for (key, name), value in values.items():
        kind, data = value or ("missing", "")
        shown = f'"{data}"' if isinstance(data, str) else data
        lines.append(f"  {key}\\{name or '(default)'} = {shown} ({kind})")
    return lines


def shortcut_target(s, path):
    if not path.lower().endswith(".lnk"):
        return ""
    code, out = s.run(s.paths.lnkinfo, path)
    fields = dict(line.split(": ", 1) for line in out.splitlines() if ": " in line)
    return f" -> {fields.get('target', '?')}" if code == 0 else " (unreadable)"


def run():
    parser = argparse.ArgumentParser(description="Operates the sample installation under Wine")
    parser.add_argument("--build", default=SOURCE / "build/native", help="native build folder")
    parser.add_argument("--win32", default=SOURCE / "build/win32", help="Win32 build folder")
    args = parser.parse_args()
    with Scenario("demo", Paths(args.build, args.win32)) as s:
        lines = demo(s)
    print("\n".join(lines))
    shots = sorted(s.artifacts.glob("*.png"))
    print(f"Screenshots of the demo's dialogs and messages, in {s.artifacts}:")
    for shot in shots:
        print(f"  {shot.name}")


if __name__ == "__main__":
    try:
        run()
    except AssertionError as e:
        sys.exit(f"demo failed: {e}")
