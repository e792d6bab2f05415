"""INSTALL.EXE meeting bad input and faults: malformed package files, an
installation killed in the middle of a large copy and started again, and a
Start-menu folder that cannot be written."""

import dataclasses
import random
import shutil
import struct
import subprocess

from harness import Item, main, scenario
from install_test import (APP_PATH_KEY, INSTALL_CAPTION, PRODUCT, PRODUCT_KEY,
                          SHELL_FOLDERS, UNINSTALL_KEY, decline_player, directories, expect_message,
                          install, named, open_install_dialog, tree)
from startup_test import LOAD_ERROR

# The program's own texts (src/app/texts.cpp).
DIRECTORY_FAILED = "ディレクトリの作成に失敗しました"
SHORTCUT_FAILED = "ショートカット作成に失敗しました"

# Every value the registration pass writes.
REGISTERED = [(PRODUCT_KEY, "Version"), (PRODUCT_KEY, "InstallDirectory"),
              (PRODUCT_KEY, "ShortcutDirectory"), (PRODUCT_KEY, "InstallMode"),
              (APP_PATH_KEY, ""), (APP_PATH_KEY, "Path"),
              (UNINSTALL_KEY, "DisplayName"), (UNINSTALL_KEY, "UninstallString")]


def assert_not_registered(s):
    written = [(key, name) for key, name in REGISTERED if s.reg_get(key, name) is not None]
    assert not written, written


# Package files written field by field, so that any field can be wrong.

MAGIC = b"BPKG"


def integer(value):
    return struct.pack("<I", value)


def text(data, length=None):
    """A text field; length, when given, is the count stored instead of the
    true one."""
    data = data.encode("cp932") if isinstance(data, str) else data
    return integer(len(data) if length is None else length) + data


@dataclasses.dataclass(frozen=True)
class RawPackage:
    """The fields of a package file for PRODUCT's installer; the counts are
    the true ones unless given."""
    magic: bytes = MAGIC
    vendor: bytes = text(PRODUCT.vendor)
    variants: tuple = ("標準インストール", "最小インストール")
    variant_count: int | None = None
    selected: int = 0
    item_count: int | None = None
    # (mask, source, target, shortcut field)
    items: tuple = ((3, "VIEWER.EXE", "BIN\\VIEWER.EXE", text("ビューア")),
                    (1, "HELP.TXT", "DOC\\HELP.TXT", text("")))

    def bytes(self):
        header = [self.magic, self.vendor, text(PRODUCT.product), text(PRODUCT.version),
                  text(PRODUCT.main_program),
                  integer(len(self.variants) if self.variant_count is None else self.variant_count),
                  integer(self.selected), *map(text, self.variants),
                  integer(len(self.items) if self.item_count is None else self.item_count)]
        records = [integer(mask) + text(source) + text(target) + shortcut
                   for mask, source, target, shortcut in self.items]
        return b"".join(header + records)


GOOD = RawPackage().bytes()
ITEM_COUNT_AT = len(RawPackage(items=()).bytes()) - 4
SOURCES = {"VIEWER.EXE": b"viewer", "HELP.TXT": b"help"}


def corrupted(seed):
    """GOOD with a few bytes overwritten at random places, the same for the
    same seed."""
    chance = random.Random(seed)
    data = bytearray(GOOD)
    for _ in range(3):
        data[chance.randrange(len(data))] = chance.randrange(256)
    return bytes(data)


def refused_corruptions(s, wanted):
    """The first seeds' corruptions that the loader refuses (checked with
    pkgtool, so that a corruption that happens to load is not taken)."""
    found = []
    seed = 0
    while len(found) < wanted:
        data = corrupted(seed)
        if not loads(s, data, f"seed{seed}"):
            found.append((f"random, seed {seed}", data))
        seed += 1
    return found


def loads(s, data, name):
    """Whether the installer's own loader (through pkgtool check) takes the
    bytes as a package."""
    path = s.artifacts / f"{name}.PKG"
    path.write_bytes(data)
    done = subprocess.run([s.paths.pkgtool, "check", path], capture_output=True, text=True)
    assert done.returncode in (0, 1), f"pkgtool check {name}: {done.stderr}"
    path.unlink()
    return done.returncode == 0


@scenario
def malformed_packages(s):
    """Each package file the loader refuses gives exactly one message, the
    package path and the load error, and exit code 0; none of them writes
    anything: no install or Start-menu folder, no registry value, nothing
    new in the distribution."""
    assert loads(s, GOOD, "good")
    truncated = [(f"cut at {n}", GOOD[:n])
                 for n in (0, 3, 10, ITEM_COUNT_AT, ITEM_COUNT_AT + 6, len(GOOD) - 1)]
    cases = truncated + [
        ("VariantCount 0", RawPackage(variant_count=0).bytes()),
        ("VariantCount 5", RawPackage(variants=("a", "b", "c", "d", "e")).bytes()),
        ("SelectedVariant past the last", RawPackage(selected=2).bytes()),
        ("ItemCount 0", RawPackage(items=()).bytes()),
        ("ItemCount 1000", RawPackage(item_count=1000).bytes()),
        ("256-byte vendor name", RawPackage(vendor=text("v" * 256)).bytes()),
        ("252-byte shortcut name",
         RawPackage(items=((1, "VIEWER.EXE", "BIN\\VIEWER.EXE", text("s" * 252)),)).bytes()),
        ("length past the end",
         RawPackage(items=((1, "VIEWER.EXE", "BIN\\VIEWER.EXE", text("short", length=50)),)).bytes()),
        ("reversed magic", RawPackage(magic=MAGIC[::-1]).bytes()),
        *refused_corruptions(s, 3),
    ]
    install_dir, start_menu = directories(s)
    dists = []
    for number, (case, data) in enumerate(cases):
        assert not loads(s, data, f"case{number}"), f"{case}: the loader takes it"
        dists.append(s.distribution(package=data, files=SOURCES, folder=f"case{number:02d}"))
    contents = {d.folder: sorted(p.name for p in d.folder.iterdir()) for d in dists}
    for (case, _), dist in zip(cases, dists):
        try:
            app = s.start(dist.program)
            expect_message(s, dist.windows_folder + "INSTALL.PKG" + LOAD_ERROR)
            assert app.wait_exit() == 0
        except AssertionError as e:
            raise AssertionError(f"case {case}: {e}") from e
    assert not s.host_path(install_dir).exists()
    assert not s.host_path(start_menu).exists()
    assert_not_registered(s)
    assert {d.folder: sorted(p.name for p in d.folder.iterdir()) for d in dists} == contents


BIG = bytes(range(256)) * (200 << 12)  # 200 MiB
KILLED = dataclasses.replace(PRODUCT, items=(
    Item("VIEWER.EXE", target="BIN\\VIEWER.EXE", shortcut="ビューア", data=b"viewer"),
    Item("BIG.DAT", target="DATA\\BIG.DAT", data=BIG),
))


@scenario
def killed_during_copy(s):
    """The installer killed while a large file is half copied leaves it
    truncated; started again, it completes and every installed file equals
    its source."""
    dist = s.distribution(package=KILLED)
    install_dir, _ = directories(s)
    big = s.host_path(install_dir + "DATA\\BIG.DAT")
    app, dialog = open_install_dialog(s, dist)
    s.click(named(s, dialog)["btnInstall"])
    # The copy runs on the window's own thread, which answers no message
    # meanwhile: the target's size on disk tells how far it is.
    s.wait_until(lambda: big.exists() and 0 < big.stat().st_size < len(BIG),
                 "the large file to be partly copied", timeout=30)
    app.kill()
    s.wait_gone(INSTALL_CAPTION)  # its process has ended
    assert 0 < big.stat().st_size < len(BIG), big.stat().st_size

    install(s, dist)
    files = tree(s.host_path(install_dir))
    expected = {"BIN": None, "BIN/VIEWER.EXE": b"viewer", "DATA": None, "DATA/BIG.DAT": BIG,
                "UNINST.PKG": dist.program.with_suffix(".PKG").read_bytes(), "UNINST.EXE": b"MZ"}
    assert files.keys() == expected.keys(), sorted(files)
    assert [k for k in expected if files[k] != expected[k]] == []


def programs_into_file(s, start_menu):
    """The Start-menu programs folder named as a file: the product's folder
    cannot be made below it."""
    blocker = s.prefix / "drive_c" / "programs.txt"
    blocker.write_bytes(b"not a folder")
    s.reg_set(SHELL_FOLDERS, "Programs", "C:\\programs.txt")
    return "C:\\programs.txt\\" + PRODUCT.product + "\\"


def folder_in_the_way(s, start_menu):
    """A folder where the first shortcut's file goes: it cannot be saved."""
    s.host_path(start_menu + "ビューア.lnk").mkdir(parents=True)
    return start_menu


def unwritable_in_the_way(s, start_menu):
    """A file where the first shortcut's file goes that no one may write,
    root included (the prefix's user is root, whom a read-only mode does not
    stop); skipped where the immutable flag is refused."""
    folder = s.host_path(start_menu)
    folder.mkdir(parents=True)
    (folder / "ビューア.lnk").write_bytes(b"old")
    done = subprocess.run(["chattr", "+i", folder / "ビューア.lnk"], capture_output=True, text=True)
    if done.returncode != 0:
        s.skip(f"chattr +i was refused: {done.stderr.strip()}")
    return start_menu


def release(s, start_menu):
    """Lets the scenario's clean-up remove what unwritable_in_the_way made."""
    link = s.host_path(start_menu + "ビューア.lnk")
    if link.is_file():
        subprocess.run(["chattr", "-i", link], capture_output=True)


@scenario
def start_menu_unwritable(s):
    """A Start-menu folder that cannot be made, or a shortcut file that
    cannot be saved: the pass's message, no completion message, exit code 0;
    the copied files stay and nothing is registered."""
    dist = s.distribution(package=PRODUCT)
    programs = s.reg_get(SHELL_FOLDERS, "Programs")[1]
    install_dir, start_menu = directories(s)
    expected = {"BIN/VIEWER.EXE", "DOC/ソフト/HELP.TXT", "DATA/SAVE", "DATA/SAMPLE.DAT",
                "UNINST.PKG", "UNINST.EXE"}
    # The one that may be skipped comes last.
    cases = [(programs_into_file, DIRECTORY_FAILED), (folder_in_the_way, SHORTCUT_FAILED),
             (unwritable_in_the_way, SHORTCUT_FAILED)]
    for make_fault, message in cases:
        used_start_menu = make_fault(s, start_menu)
        try:
            app, dialog = open_install_dialog(s, dist)
            s.click(named(s, dialog)["btnInstall"])
            expect_message(s, message)
            s.wait_gone(INSTALL_CAPTION)
            decline_player(s, app)
            assert expected <= tree(s.host_path(install_dir)).keys()
            assert not s.host_path(used_start_menu + "アンインストール.lnk").exists()
            assert_not_registered(s)
        except AssertionError as e:
            raise AssertionError(f"case {make_fault.__name__}: {e}") from e
        finally:
            release(s, start_menu)
        s.reg_set(SHELL_FOLDERS, "Programs", programs)
        shutil.rmtree(s.host_path(install_dir))
        shutil.rmtree(s.host_path(start_menu), ignore_errors=True)


if __name__ == "__main__":
    main()
