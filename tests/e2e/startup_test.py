"""INSTALL.EXE from its start to the main dialog: every failure a user can
meet before the first dialog, the waits for a running product and for
another installer, the registry folders, the readme and the main dialog."""

from harness import FOLDER, HarnessError, Item, Manifest, main, scenario

# The program's own texts (src/app/texts.cpp).
NOT_FOUND = "が見つかりませんでした"
LOAD_ERROR = "の読込処理中にエラーが発生しました"
PATH_TOO_DEEP = "パス階層がOSの限界を超える可能性を検知しました"
COPY_SOURCE = "コピー元の"
START_MENU = "スタートメニューの"
SHORTCUT_TARGET = "ショートカット作成先の"
REGISTRY_ERROR = "レジストリのアクセスに失敗しました"
PRODUCT_RUNNING = "Kestruneが起動しています。終了させてください"
ALREADY_RUNNING = "既に起動されています"
README_CAPTION = "お読み下さい"

MACHINE_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"

PRODUCT = Manifest(
    product="表示ソフト",
    vendor="みなと工房",
    variants=("標準インストール", "最小インストール", "完全インストール"),
    selected=1,
    items=(Item("APP.EXE", shortcut="表示ソフト"), Item("SAVE", data=FOLDER),
           Item("DATA\\SAMPLE.DAT", variants=("完全インストール",))),
)
INSTANCE_MUTEX = f"Install {PRODUCT.vendor} {PRODUCT.product}"


def ansi_length(text):
    return len(text.encode("cp932"))


def padded(prefix, length, suffix=""):
    """prefix + "a"s + suffix, length bytes in code page 932."""
    return prefix + "a" * (length - ansi_length(prefix) - ansi_length(suffix)) + suffix


def deep_source(dist_folder, length):
    """A source name that makes dist_folder + it length bytes long, in
    folders of at most 100 bytes (a host file name holds at most 255)."""
    room = length - ansi_length(dist_folder) - len("FILE.DAT")
    parts = []
    while room > 0:
        part = min(room, 100)
        parts.append("d" * (part - 1) + "\\")
        room -= part
    name = "".join(parts) + "FILE.DAT"
    assert ansi_length(dist_folder + name) == length
    return name


def main_caption(manifest):
    return "INSTALL - " + manifest.product


def named(s, window):
    return {c.name: c for c in s.controls(window) if c.name}


def expect_message(s, caption, text):
    """A box with this caption and text and one OK button, answered."""
    box = s.wait_message_box(caption)
    assert (box.text, box.button_texts) == (text, ["OK"]), (box.text, box.button_texts)
    s.answer(box, "OK")


def cancel_main(s, app, manifest):
    """The main dialog is there; Esc ends the program with exit code 0."""
    form = s.wait_window(main_caption(manifest))
    s.keys(form, "Esc")
    assert app.wait_exit() == 0


def run_to_end(s, dist, messages, manifest):
    """Starts the installer; expects messages (captioned with the program's
    name) in order, then the main dialog unless manifest is None, and exit
    code 0."""
    app = s.start(dist.program)
    for text in messages:
        expect_message(s, dist.program.stem, text)
    if manifest is None:
        assert app.wait_exit() == 0
    else:
        cancel_main(s, app, manifest)


@scenario
def failures(s):
    """Each start-up check that fails shows its one message and ends with
    exit code 0; the limits are checked at their edge."""
    one_item = Manifest(items=(Item("APP.EXE"),))
    deep_259 = deep_source("C:\\deep259\\", 259)
    cases = [
        # folder, program name, package, other files, expected messages
        ("missing", "セットアップ.EXE", None, {}, [f"C:\\missing\\セットアップ.PKG{NOT_FOUND}"]),
        ("rejected", "INSTALL.EXE", b"BPKG\x05\x00\x00\x00short", {},
         [f"C:\\rejected\\INSTALL.PKG{LOAD_ERROR}"]),
        # The item only a variant nobody will choose installs is checked too.
        ("unchosen", "INSTALL.EXE",
         Manifest(variants=("標準", "完全"),
                  items=(Item("APP.EXE"), Item("EXTRA\\DATA.BIN", variants=("完全",), data=None))),
         {}, [f"C:\\unchosen\\EXTRA\\DATA.BIN{NOT_FOUND}"]),
        ("deep260", "INSTALL.EXE",
         Manifest(items=(Item(deep_source("C:\\deep260\\", 260), target="FILE.DAT", data=None),)),
         {}, [COPY_SOURCE + PATH_TOO_DEEP]),
        ("deep259", "INSTALL.EXE", Manifest(items=(Item(deep_259, target="FILE.DAT"),)), {}, None),
        ("nouninst", "INSTALL.EXE", one_item, {"uninstaller": None},
         [f"C:\\nouninst\\UNINST.EXE{NOT_FOUND}"]),
        # A folder of that name is no uninstaller.
        ("uninstdir", "INSTALL.EXE", one_item, {"uninstaller": None, "folders": ["UNINST.EXE"]},
         [f"C:\\uninstdir\\UNINST.EXE{NOT_FOUND}"]),
    ]
    for folder, name, package, extra, messages in cases:
        dist = s.distribution(package=package, name=name, folder=folder, **extra)
        try:
            run_to_end(s, dist, messages or [], package if messages is None else None)
        except (AssertionError, HarnessError) as e:
            raise AssertionError(f"case {folder}: {e}") from e


@scenario
def registry_folders(s):
    """The install directory from "ProgramFilesDir" (missing, drive root,
    ending in a two-byte character whose second byte is 0x5C); the
    Start-menu folder's length limits; a value that is no string."""
    program_files = s.reg_get(MACHINE_KEY, "ProgramFilesDir")[1]
    programs = s.reg_get(SHELL_FOLDERS, "Programs")[1]
    product_folder = f"\\{PRODUCT.product}\\"
    # Programs values that make the product's Start-menu folder this long.
    start_menu = {n: padded("C:\\", n - ansi_length(product_folder)) for n in (239, 240, 256)}
    default = (program_files, "REG_SZ")
    cases = [
        # ProgramFilesDir (value, kind; None: deleted), Programs, expected
        # messages, shown directory (None: no main dialog)
        (default, programs, [], program_files + product_folder),
        (None, programs, [], product_folder),
        (("C:\\", "REG_SZ"), programs, [], "C:" + product_folder),
        (("C:\\ソフト\\表", "REG_SZ"), programs, [], "C:\\ソフト\\表" + product_folder),
        # Taken as it stands, not expanded.
        (("%SystemDrive%\\Apps", "REG_EXPAND_SZ"), programs, [], "%SystemDrive%\\Apps" + product_folder),
        ((259, "REG_DWORD"), programs, [REGISTRY_ERROR], None),
        (default, start_menu[239], [], program_files + product_folder),
        (default, start_menu[240], [START_MENU + PATH_TOO_DEEP], program_files + product_folder),
        # Even the item without a shortcut fails there.
        (default, start_menu[256], [START_MENU + PATH_TOO_DEEP, SHORTCUT_TARGET + PATH_TOO_DEEP], None),
    ]
    dist = s.distribution(package=PRODUCT)
    for number, (files_value, programs_value, messages, directory) in enumerate(cases):
        if files_value is None:
            s.reg_delete_value(MACHINE_KEY, "ProgramFilesDir")
        else:
            s.reg_set(MACHINE_KEY, "ProgramFilesDir", *files_value)
        s.reg_set(SHELL_FOLDERS, "Programs", programs_value)
        try:
            app = s.start(dist.program)
            for text in messages:
                expect_message(s, "INSTALL", text)
            if directory is None:
                assert app.wait_exit() == 0
                continue
            form = s.wait_window(main_caption(PRODUCT))
            assert s.text(named(s, form)["edtDirectory"]) == directory
            s.keys(form, "Esc")
            assert app.wait_exit() == 0
        except (AssertionError, HarnessError) as e:
            raise AssertionError(f"case {number} ({files_value!r}, {programs_value!r}): {e}") from e


@scenario
def product_running(s):
    """While the product runs, OK shows the box again; after it has ended OK
    goes on; Cancel ends at once. The instance is marked only after."""
    dist = s.distribution(package=PRODUCT)
    product = s.hold_mutex("Kestrune")
    app = s.start(dist.program)
    box = s.wait_message_box("エラー")
    assert (box.text, box.button_texts) == (PRODUCT_RUNNING, ["OK", "キャンセル"])
    assert not s.mutex_exists(INSTANCE_MUTEX)
    s.answer(box, "OK")
    box = s.wait_message_box("エラー")
    assert box.text == PRODUCT_RUNNING
    assert product.stop() == 0
    s.answer(box, "OK")
    form = s.wait_window(main_caption(PRODUCT))
    assert s.mutex_exists(INSTANCE_MUTEX)
    s.keys(form, "Esc")
    assert app.wait_exit() == 0
    assert not s.mutex_exists(INSTANCE_MUTEX)

    product = s.hold_mutex("Kestrune")
    app = s.start(dist.program)
    s.answer(s.wait_message_box("エラー"), "キャンセル")
    assert app.wait_exit(timeout=5) == 0
    assert not any(w.caption == main_caption(PRODUCT) for w in s.windows())
    product.stop()


@scenario
def second_installer(s):
    """A second installer of the same vendor and product stops with its
    message and leaves the first alone; one of another product runs
    beside it."""
    other = Manifest(product="別の製品", vendor=PRODUCT.vendor)
    first = s.start(s.distribution(package=PRODUCT, folder="first").program)
    form = s.wait_window(main_caption(PRODUCT))
    second = s.start(s.distribution(package=PRODUCT, folder="second").program)
    expect_message(s, "INSTALL", ALREADY_RUNNING)
    assert second.wait_exit() == 0
    assert first.running and s.mutex_exists(INSTANCE_MUTEX)
    assert s.wait_window(main_caption(PRODUCT), shoot=False).enabled

    third = s.start(s.distribution(package=other, folder="other").program)
    other_form = s.wait_window(main_caption(other))
    captions = [w.caption for w in s.windows()]
    assert main_caption(PRODUCT) in captions and main_caption(other) in captions, captions
    s.keys(other_form, "Esc")
    assert third.wait_exit() == 0
    s.keys(form, "Esc")
    assert first.wait_exit() == 0


@scenario
def main_dialog(s):
    """Without a readme the main dialog comes first: caption, variants with
    the package's choice, directory; a choice by mouse and arrow keys; and
    Cancel, Esc and the close box each end the program."""
    dist = s.distribution(package=PRODUCT)
    app = s.start(dist.program)
    form = s.wait_window(main_caption(PRODUCT))
    assert README_CAPTION not in [w.caption for w in s.windows()]
    c = named(s, form)
    assert [(n, c[n].text) for n in ("btnOK", "btnCancel", "rgPackage", "lblDirectory", "btnChange")] == [
        ("btnOK", "&OK"), ("btnCancel", "&Cancel"), ("rgPackage", "パッケージの選択"),
        ("lblDirectory", "ディレクトリの選択"), ("btnChange", "変更")]
    items = [c[f"rgPackage.{i}"] for i in range(3)]
    assert "rgPackage.3" not in c
    assert [i.text for i in items] == list(PRODUCT.variants)

    def states():
        return [s.checked(i) for i in items]

    assert states() == [0, 1, 0]
    assert s.text(c["edtDirectory"]) == f"C:\\Program Files\\{PRODUCT.product}\\"
    assert s.focus(form) == c["btnOK"].hwnd
    s.mouse(items[2])
    s.wait_until(lambda: states() == [0, 0, 1], "the mouse to choose the third variant")
    s.keys(form, "Up")
    s.wait_until(lambda: states() == [0, 1, 0], "Up to choose the second variant")
    s.keys(form, "Up")
    s.wait_until(lambda: states() == [1, 0, 0], "Up to choose the first variant")
    assert s.focus(form) == items[0].hwnd
    # The read-only directory is skipped on the way to Change.
    s.keys(form, "Tab")
    s.wait_until(lambda: s.focus(form) == c["btnChange"].hwnd, "Tab to reach Change")
    s.screenshot(form, "after-choice")
    s.click(c["btnCancel"])
    assert app.wait_exit() == 0

    for close in (lambda f: s.keys(f, "Esc"), s.close):
        app = s.start(dist.program)
        close(s.wait_window(main_caption(PRODUCT), shoot=False))
        assert app.wait_exit() == 0


@scenario
def readme(s):
    """The readme comes first, shows the file's lines, and the main dialog
    follows whichever way it is closed: OK, Enter or the close box."""
    text = "お読み下さい。\r\n\r\n表示ソフトの説明です。\tタブ\r\n最後の行"
    dist = s.distribution(package=PRODUCT, readme=text.encode("cp932"))
    ways = [
        ("OK", lambda f: s.click(named(s, f)["btnOK"])),
        ("Enter", lambda f: s.keys(f, "Enter")),
        ("close box", s.close),
    ]
    for way, close in ways:
        try:
            app = s.start(dist.program)
            form = s.wait_window(README_CAPTION)
            assert main_caption(PRODUCT) not in [w.caption for w in s.windows()]
            c = named(s, form)
            assert s.text(c["memReadme"]) == text
            assert c["btnOK"].text == "&OK"
            close(form)
            s.wait_gone(README_CAPTION)
            cancel_main(s, app, PRODUCT)
        except (AssertionError, HarnessError) as e:
            raise AssertionError(f"closed by {way}: {e}") from e


if __name__ == "__main__":
    main()
