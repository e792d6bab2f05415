"""INSTALL.EXE from OK in the main dialog to its end: the install dialog's
figures, Cancel, a complete installation (files, folders, the uninstaller's
files, shortcuts, registry values, progress) and one over it, a source
locked by another program, and an install drive that is too small or fills
up during the copy."""

import os

from harness import FOLDER, Item, Manifest, main, scenario

# The program's own texts (src/app/texts.cpp).
COMPLETED = "インストールが完了しました\nスタートメニューからアプリケーションを起動する事が出来ます"
COPY_FAILED = "ファイルのコピーに失敗しました"
INSTALL_DRIVE_FULL = "インストール先ドライブの" + "ディスク容量が不足しています"
PLAYER_NEEDED = "PCでの動画再生にはmplayerが必要です。続けてインストールしますか？"
UNINSTALL_SHORTCUT = "アンインストール.lnk"

MACHINE_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
INSTALL_CAPTION = "インストール"
CHOOSER_CAPTION = "インストール先の選択"
MESSAGE_CAPTION = "INSTALL"  # the program's name
BARS = ("pbCopy", "pbLink", "pbRegistry", "pbAll")

FULL = 2  # 完全インストール, the variant the installation scenarios choose
PRODUCT = Manifest(
    product="表示ソフト",
    vendor="みなと工房",
    version="2.1",
    main_program="BIN\\VIEWER.EXE",
    variants=("標準インストール", "最小インストール", "完全インストール"),
    selected=0,
    items=(
        # Just over 2 MiB: the install need rounds up to 3 MB.
        Item("VIEWER.EXE", target="BIN\\VIEWER.EXE", shortcut="ビューア",
             data=bytes(range(256)) * 8192 + b"!"),
        # 0x5C as the second byte of ソ in a folder name.
        Item("HELP.TXT", target="DOC\\ソフト\\HELP.TXT", variants=("標準インストール", "完全インストール"),
             shortcut="ツール\\ヘルプ", data="使い方".encode("cp932")),
        Item("SAVE", target="DATA\\SAVE", data=FOLDER),
        Item("EXTRA\\SAMPLE.DAT", target="DATA\\SAMPLE.DAT", variants=("完全インストール",),
             data=b"s" * 100_000),
        Item("MINI.DAT", variants=("最小インストール",), shortcut="最小"),
    ),
)
MAIN_CAPTION = "INSTALL - " + PRODUCT.product
PRODUCT_KEY = f"HKLM\\SOFTWARE\\{PRODUCT.vendor}\\{PRODUCT.product}\\CurrentVersion"
APP_PATH_KEY = MACHINE_KEY + "\\App Paths\\VIEWER.EXE"
UNINSTALL_KEY = MACHINE_KEY + "\\Uninstall\\" + PRODUCT.product


def named(s, window):
    return {c.name: c for c in s.controls(window) if c.name}


def expect_message(s, text):
    """The program's box with this text and one OK button, answered."""
    box = s.wait_message_box(MESSAGE_CAPTION)
    assert (box.text, box.button_texts) == (text, ["OK"]), (box.text, box.button_texts)
    s.answer(box, "OK")


def decline_player(s, app):
    """The player question comes last; No ends the program with exit code 0."""
    box = s.wait_message_box("情報")
    assert box.text == PLAYER_NEEDED, box.text
    s.answer(box, next(t for t in box.button_texts if t.startswith("いいえ")))
    assert app.wait_exit() == 0


def open_install_dialog(s, dist, variant=FULL):
    """Starts the installer, chooses the variant and presses OK; returns the
    program and the install dialog."""
    app = s.start(dist.program)
    form = s.wait_window(MAIN_CAPTION)
    c = named(s, form)
    item = c[f"rgPackage.{variant}"]
    s.mouse(item)
    s.wait_until(lambda: s.checked(item) == 1, "the variant to be chosen")
    s.click(c["btnOK"])
    return app, s.wait_window(INSTALL_CAPTION)


def install(s, dist):
    """A run that completes: every bar at its maximum while the completion
    message shows, then the player question."""
    app, dialog = open_install_dialog(s, dist)
    bars = named(s, dialog)
    s.click(bars["btnInstall"])
    box = s.wait_message_box(MESSAGE_CAPTION)
    assert box.text == COMPLETED, box.text
    progress = {name: s.progress(bars[name]) for name in BARS}
    assert all(p.position == p.high and p.low == 0 for p in progress.values()), progress
    assert progress["pbRegistry"].high == 8
    assert progress["pbAll"].high == sum(progress[n].high for n in BARS[:3]), progress
    s.answer(box, "OK")
    s.wait_gone(INSTALL_CAPTION)
    decline_player(s, app)


def directories(s):
    """(install directory, Start-menu folder) as the program composes them."""
    programs = s.reg_get(SHELL_FOLDERS, "Programs")[1]
    program_files = s.reg_get(MACHINE_KEY, "ProgramFilesDir")[1]
    return (f"{program_files}\\{PRODUCT.product}\\", f"{programs}\\{PRODUCT.product}\\")


def tree(root):
    """Every file (its bytes) and folder (None) below root, by relative path."""
    found = {}
    for folder, subfolders, files in os.walk(root):
        for name in subfolders:
            found[os.path.relpath(os.path.join(folder, name), root)] = None
        for name in files:
            path = os.path.join(folder, name)
            found[os.path.relpath(path, root)] = open(path, "rb").read()
    return found


def link(s, windows_path):
    """lnkinfo's fields of a shortcut."""
    code, out = s.run(s.paths.lnkinfo, windows_path)
    assert code == 0, f"lnkinfo {windows_path}: exit code {code}"
    return dict(line.split(": ", 1) for line in out.splitlines() if ": " in line)


@scenario
def cancel(s):
    """OK shows the needs in whole MB; Cancel leaves no trace on disk or in
    the registry and still leads to the player question."""
    dist = s.distribution(package=PRODUCT)
    install_dir, start_menu = directories(s)
    app, dialog = open_install_dialog(s, dist)
    c = named(s, dialog)
    # Both folders are on C:, so the install need includes the Start menu's.
    assert (s.text(c["lblLinkNeed"]), s.text(c["lblInstNeed"])) == ("1MB", "3MB")
    s.click(c["btnCancel"])
    s.wait_gone(INSTALL_CAPTION)
    decline_player(s, app)
    assert not s.host_path(install_dir).exists()
    assert not s.host_path(start_menu).exists()
    for key in (PRODUCT_KEY, APP_PATH_KEY, UNINSTALL_KEY):
        assert s.reg_get(key, "") is None and s.reg_get(key, "Version") is None, key


@scenario
def complete(s):
    """The chosen variant's files and folders, the uninstaller's files (the
    package copy writable though the package is read-only), the shortcuts
    and the eight registry values; a second installation overwrites."""
    dist = s.distribution(package=PRODUCT)
    package = dist.program.with_suffix(".PKG")
    package.chmod(0o444)
    install_dir, start_menu = directories(s)
    install(s, dist)

    files = tree(s.host_path(install_dir))
    sources = {i.source: i.data for i in PRODUCT.items}
    expected = {
        "BIN": None, "BIN/VIEWER.EXE": sources["VIEWER.EXE"],
        "DOC": None, "DOC/ソフト": None, "DOC/ソフト/HELP.TXT": sources["HELP.TXT"],
        "DATA": None, "DATA/SAVE": None, "DATA/SAMPLE.DAT": sources["EXTRA\\SAMPLE.DAT"],
        "UNINST.PKG": package.read_bytes(), "UNINST.EXE": b"MZ",
    }
    assert files.keys() == expected.keys(), sorted(files)
    assert all(files[k] == v for k, v in expected.items()), [k for k in expected if files[k] != expected[k]]
    assert os.stat(s.host_path(install_dir + "UNINST.PKG")).st_mode & 0o200, "UNINST.PKG is read-only"

    links = tree(s.host_path(start_menu))
    assert links.keys() == {"ビューア.lnk", "ツール", "ツール/ヘルプ.lnk", UNINSTALL_SHORTCUT}, sorted(links)
    for name, target in [("ビューア", "BIN\\VIEWER.EXE"), ("ツール\\ヘルプ", "DOC\\ソフト\\HELP.TXT"),
                         ("アンインストール", "UNINST.EXE")]:
        fields = link(s, f"{start_menu}{name}.lnk")
        folder = install_dir + target.rpartition("\\")[0] + ("\\" if "\\" in target else "")
        assert (fields["target"], fields["working directory"]) == (install_dir + target, folder), (name, fields)

    values = [
        (PRODUCT_KEY, "Version", ("REG_SZ", PRODUCT.version)),
        (PRODUCT_KEY, "InstallDirectory", ("REG_SZ", install_dir)),
        (PRODUCT_KEY, "ShortcutDirectory", ("REG_SZ", start_menu)),
        (PRODUCT_KEY, "InstallMode", ("REG_DWORD", FULL)),
        (APP_PATH_KEY, "", ("REG_SZ", install_dir + "BIN\\VIEWER.EXE")),
        (APP_PATH_KEY, "Path", ("REG_SZ", install_dir + "BIN\\")),
        (UNINSTALL_KEY, "DisplayName", ("REG_SZ", f"{PRODUCT.vendor} {PRODUCT.product}")),
        (UNINSTALL_KEY, "UninstallString", ("REG_SZ", install_dir + "UNINST.EXE")),
    ]
    for key, name, value in values:
        assert s.reg_get(key, name) == value, (key, name, s.reg_get(key, name))

    # Over the first: a changed, shorter source replaces the installed copy.
    (dist.folder / "VIEWER.EXE").write_bytes(b"version 2")
    install(s, dist)
    assert s.host_path(install_dir + "BIN\\VIEWER.EXE").read_bytes() == b"version 2"


@scenario
def locked_source(s):
    """A source that another program holds open for exclusive use cannot be
    opened: the item's open failure, no completion message."""
    dist = s.distribution(package=PRODUCT)
    holder = s.hold_file(dist.windows_folder + "HELP.TXT")
    app, dialog = open_install_dialog(s, dist)
    s.click(named(s, dialog)["btnInstall"])
    expect_message(s, COPY_FAILED + "1")
    s.wait_gone(INSTALL_CAPTION)
    decline_player(s, app)
    assert holder.stop() == 0


def small_drive_d(s, size):
    """A volume of size bytes as drive D:, the base of the install directory;
    the scenario is skipped, loudly, where it cannot be mounted."""
    drive = s.map_small_drive("D", size)
    s.reg_set(MACHINE_KEY, "ProgramFilesDir", "D:\\")
    return drive


def fill(folder):
    """Writes into folder until the file system refuses more."""
    with open(folder / "filler", "wb", buffering=0) as f:
        for chunk in (1 << 16, 1 << 12):
            try:
                while True:
                    f.write(b"\0" * chunk)
            except OSError:
                pass


def choose_drive(s, form, letter):
    """Picks the drive in the directory chooser with the keyboard and takes it
    with OK; returns the directory the main dialog then shows."""
    s.click(named(s, form)["btnChange"])
    chooser = s.wait_window(CHOOSER_CAPTION)
    c = named(s, chooser)
    drives, chosen = s.items(c["dcxDrive"])
    s.keys(chooser, "Tab", "Tab")  # from OK past Cancel and the read-only preview
    steps = drives.index(f"{letter}:") - chosen
    s.keys(chooser, *["Down" if steps > 0 else "Up"] * abs(steps))
    s.wait_until(lambda: s.text(c["edtDirectory"]).startswith(f"{letter}:"), f"the preview on {letter}:")
    directory = s.text(c["edtDirectory"])
    s.click(c["btnOK"])
    s.wait_gone(CHOOSER_CAPTION)
    assert s.text(named(s, form)["edtDirectory"]) == directory
    return directory


@scenario
def install_drive_short(s):
    """An install need that is not below the drive's free space: the message,
    and the main dialog stays open; OK again gives the same message; on a
    larger drive OK goes on, with figures of that press alone."""
    drive = small_drive_d(s, 1 << 20)
    dist = s.distribution(package=PRODUCT)
    app = s.start(dist.program)
    form = s.wait_window(MAIN_CAPTION)
    for _ in range(2):
        s.click(named(s, form)["btnOK"])
        expect_message(s, INSTALL_DRIVE_FULL)
        assert s.wait_window(MAIN_CAPTION, shoot=False).enabled
        assert INSTALL_CAPTION not in [w.caption for w in s.windows()]
    assert list(drive.iterdir()) == []

    directory = choose_drive(s, form, "C")
    s.click(named(s, form)["btnOK"])
    dialog = s.wait_window(INSTALL_CAPTION)
    c = named(s, dialog)
    assert (s.text(c["lblLinkNeed"]), s.text(c["lblInstNeed"])) == ("1MB", "3MB")
    # The default variant: VIEWER.EXE and HELP.TXT, the package, UNINST.EXE.
    copied = sum(len(i.data) for i in PRODUCT.items[:2]) + dist.program.with_suffix(".PKG").stat().st_size + 2
    assert s.progress(c["pbCopy"]).high == copied
    s.click(c["btnCancel"])
    s.wait_gone(INSTALL_CAPTION)
    decline_player(s, app)
    assert not s.host_path(directory).exists()


@scenario
def drive_fills_during_copy(s):
    """The drive had room at OK but is full when Install copies: the copy
    failure, no completion message, and the program ends normally."""
    drive = small_drive_d(s, 4 << 20)
    app, dialog = open_install_dialog(s, s.distribution(package=PRODUCT))
    fill(drive)
    s.click(named(s, dialog)["btnInstall"])
    expect_message(s, COPY_FAILED)
    s.wait_gone(INSTALL_CAPTION)
    decline_player(s, app)


if __name__ == "__main__":
    main()
