"""End-to-end scenarios: Win32 programs run under Wine and operated as a user
would, through the driver (tests/wine/driver) that runs beside them in the
same Wine prefix.

Writing a scenario
------------------
A scenario is a function of one `Scenario`, registered with `@scenario` in a
file of this folder that ends by calling `main()`::

    from harness import main, scenario

    @scenario
    def cancel_ends(s):
        dist = s.distribution(package=built_package, files={"DATA.BIN": b"x"})
        app = s.start(dist.program)
        box = s.wait_message_box("エラー")
        assert box.text == "..."
        s.answer(box, "キャンセル")
        assert app.wait_exit() == 0

    if __name__ == "__main__":
        main()

Packages are described in Python and built with the package tool when a
distribution is laid out; the item sources are laid out with them::

    product = Manifest(product="表示ソフト", variants=("標準", "最小"), selected=1,
                       items=(Item("APP.EXE"), Item("DOC", data=FOLDER),
                              Item("EXTRA.DAT", variants=("標準",), data=None)))
    dist = s.distribution(package=product)  # EXTRA.DAT left out: missing

The calls: `distribution` lays out a distribution folder, `start` runs a
program, with environment variables of its own if given
(`Program.wait_exit` gives its exit code), `wait_window`,
`wait_gone`, `wait_message_box` and `answer` meet windows, `controls`,
`control`, `text`, `checked`, `focus`, `progress` and `items` read them,
`click`, `mouse`, `keys` and `close` act on them, `reg_set`, `reg_get`, `reg_delete_value`
and `reg_delete_key` reach the prefix's registry, `hold_mutex` starts a
stand-in for the running product, `mutex_exists` probes a name,
`map_drive` adds a drive letter and `map_small_drive` one on a volume of a
given size, `hold_file` keeps a file open for exclusive use, `run` runs a
helper program to its end (tests/wine/lnkinfo reads a shortcut) and
`host_path` finds where a Windows path of the prefix lies on the host.

A scenario that cannot run on this machine calls `skip` (or raises
`Skipped`) with the reason; it is reported as skipped (ctest: exit code 77),
never as passed.

Everything a scenario meets is bounded: each wait has a timeout, every wait
is cut to the scenario's `deadline` (60 s), and a watchdog ends all its
processes shortly after it. Actions
(`click`, `keys`, `mouse`, `close`) only post input, as a user's hand would;
check their effect with a wait (`wait_window`, `wait_gone`, `wait_until`)
rather than a sleep. An action a user could not take (a disabled or hidden
control, a window under a modal one, a window without a close box) fails.

Texts are Python strings; the driver converts them from and to the ANSI code
page (932), and each scenario first checks that the prefix has that page.
`message_box_icon` tells which standard icon a message box shows.

The player's download server
----------------------------
`PlayerServer` stands in for it on 127.0.0.1:80, the port the program's
download client always uses, so the scenarios that need it take the port in
turn (a ctest resource lock). It serves a file as "/mplayer_install.exe",
breaks off after part of it, sends other bytes as its answer, reads the
request and then says nothing until told to hang up, or holds the port
without listening, so that connections are refused; a port already taken
fails the scenario::

    with PlayerServer(marker_bytes) as server:
        ...
        assert server.requests == [expected_request]

Registering with ctest
----------------------
tests/e2e/CMakeLists.txt lists the scenario files; each scenario becomes the
test e2e.<file>.<scenario> (the file name without "_test.py"), which
requires the wine_prefix fixture, so ctest makes the template prefix first.

Running one scenario alone
--------------------------
    ctest --preset native -R e2e.probe.dialog
(which makes the template prefix first), or, after a build, straight from
the source tree, where the template is made only if it is missing
(--build and --win32 choose other build folders):
    python3 tests/e2e/probe_test.py dialog
    python3 tests/e2e/probe_test.py --list

Artefacts
---------
build/native/artifacts/<file>.<scenario>/ holds NN-<caption>.png, one
screenshot of every window the scenario waited for (and of every window on
the screen when it failed), and wine.log with the programs' Wine output.
A passing scenario's Wine prefix is removed; a failing one's is kept under
build/native/wine/scenario-<file>.<scenario> for inspection.

Display: when DISPLAY is not set, each scenario starts its own Xvfb. The
template prefix runs a Wine virtual desktop, so every scenario's windows
live in one Wine-drawn desktop, frames and captions included.
"""

import argparse
import os
import queue
import re
import shutil
import socket
import subprocess
import sys
import threading
import time
import traceback
from dataclasses import dataclass
from pathlib import Path
from typing import NamedTuple

SOURCE = Path(__file__).resolve().parents[2]
WINE_ENV = SOURCE / "tests/wine/wine-env.sh"
CODE_PAGE = "932"
POLL_SECONDS = 0.05
DEFAULT_WAIT = 10.0  # seconds, for a window or an effect to appear
DRIVER_GRACE = 10.0  # seconds a driver reply may take beyond its own wait
PLAYER_PORT = 80  # the port of the player's download server, fixed in the program


class HarnessError(AssertionError):
    """A scenario step that did not happen as expected."""


class Skipped(Exception):
    """A scenario that cannot run here, for the reason given."""


SKIP_EXIT_CODE = 77  # tests/e2e/CMakeLists.txt tells ctest this means skipped


class Rect(NamedTuple):
    left: int
    top: int
    right: int
    bottom: int


@dataclass(frozen=True)
class Window:
    hwnd: str
    class_name: str
    caption: str
    pid: int
    enabled: bool
    owner: str
    rect: Rect

    @classmethod
    def parse(cls, f):
        return cls(f[0], f[1], f[2], int(f[3]), f[4] == "1", f[5], Rect(*map(int, f[6:10])))


@dataclass(frozen=True)
class Control:
    hwnd: str
    name: str  # the form name ("btnOK", "rgPackage.0"); empty if none
    class_name: str
    text: str
    id: int
    enabled: bool
    visible: bool
    checked: int | None  # BM_GETCHECK of check boxes and radio items
    rect: Rect  # in the client coordinates of its top-level window

    @classmethod
    def parse(cls, f):
        return cls(f[0], f[1], f[2], f[3], int(f[4]), f[5] == "1", f[6] == "1",
                   int(f[7]) if f[7] else None, Rect(*map(int, f[8:12])))


@dataclass(frozen=True)
class MessageBox:
    window: Window
    text: str
    buttons: list  # of Control, in their order on the box

    @property
    def caption(self):
        return self.window.caption

    @property
    def button_texts(self):
        return [b.text for b in self.buttons]


class Progress(NamedTuple):
    position: int
    low: int
    high: int


@dataclass(frozen=True)
class Distribution:
    folder: Path  # on the host
    windows_folder: str  # as the program sees it, ending in a backslash
    program: Path


FOLDER = object()  # an item whose source is a folder


@dataclass(frozen=True)
class Item:
    """A package item. Its source is laid out as a file holding data, as a
    folder (FOLDER), or not at all (None)."""
    source: str
    target: str | None = None  # the source's name unless given
    variants: tuple | None = None  # every variant of the manifest unless given
    shortcut: str | None = None
    data: object = b"item"


@dataclass(frozen=True)
class Manifest:
    """What pkgtool builds a package from (README.md, "Making a package of your own")."""
    product: str = "テスト製品"
    vendor: str = "テスト工房"
    version: str = "1.0"
    main_program: str = "APP.EXE"
    variants: tuple = ("標準インストール",)
    selected: int = 0  # index into variants
    items: tuple = (Item("APP.EXE"),)

    def toml(self):
        lines = [f"{key} = {_toml_string(getattr(self, key))}"
                 for key in ("vendor", "product", "version", "main_program")]
        for index, name in enumerate(self.variants):
            lines += ["", "[[variant]]", f"name = {_toml_string(name)}"]
            if index == self.selected:
                lines.append("selected = true")
        for item in self.items:
            variants = item.variants if item.variants is not None else self.variants
            lines += ["", "[[item]]",
                      "variants = [" + ", ".join(map(_toml_string, variants)) + "]",
                      f"source = {_toml_string(item.source)}",
                      f"target = {_toml_string(item.target or item.source)}"]
            if item.shortcut is not None:
                lines.append(f"shortcut = {_toml_string(item.shortcut)}")
        return "\n".join(lines) + "\n"


def _toml_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _sources(manifest, folders_too):
    """The item sources to lay out: {host-relative file: data} or, with
    folders_too, the folders."""
    def host(source):
        return source.replace("\\", "/")
    if folders_too:
        return [host(i.source) for i in manifest.items if i.data is FOLDER]
    return {host(i.source): i.data for i in manifest.items
            if i.data is not None and i.data is not FOLDER}


class Paths:
    """Where the builds put what the scenarios run."""

    def __init__(self, build, win32):
        self.build = Path(build).resolve()
        self.win32 = Path(win32).resolve()
        self.wine_root = self.build / "wine"
        self.artifacts = self.build / "artifacts"
        self.installer = self.win32 / "src/INSTALL.EXE"
        # The same program fetching the player's installer from 127.0.0.1.
        self.installer_loopback = self.win32 / "src/INSTALL_LOOPBACK.EXE"
        # Writes "<its own path>.ran" when started (tests/wine/marker).
        self.marker = self.win32 / "tests/marker.exe"
        self.driver = self.win32 / "tests/wine/driver/driver.exe"
        self.probe = self.win32 / "tests/wine/probe/probe.exe"
        self.mutex_holder = self.win32 / "tests/wine/mutex_holder/mutex_holder.exe"
        self.file_holder = self.win32 / "tests/wine/file_holder/file_holder.exe"
        self.lnkinfo = self.win32 / "tests/wine/lnkinfo/lnkinfo.exe"
        self.planted = self.win32 / "tests/wine/planted/planted.dll"
        self.pkgtool = self.build / "tools/pkgtool/pkgtool"


def windows_path(path):
    """A host path as Wine programs see it, through the Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _escape(field):
    return (field.replace("\\", "\\\\").replace("\t", "\\t")
            .replace("\n", "\\n").replace("\r", "\\r"))


_UNESCAPE = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}


def _unescape(field):
    return re.sub(r"\\(.)", lambda m: _UNESCAPE.get(m.group(1), m.group(1)), field)


class _Lines:
    """Lines from a process's stdout, read with a timeout."""

    def __init__(self, stream):
        self._queue = queue.Queue()
        threading.Thread(target=self._pump, args=(stream,), daemon=True).start()

    def _pump(self, stream):
        for raw in stream:
            self._queue.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self._queue.put(None)

    def next(self, timeout, what):
        try:
            line = self._queue.get(timeout=max(timeout, 0))
        except queue.Empty:
            raise HarnessError(f"{what}: no answer within {timeout:.0f} s") from None
        if line is None:
            raise HarnessError(f"{what}: the process ended")
        return line


class Program:
    """A Windows program started under Wine in the scenario's prefix."""

    def __init__(self, scenario, popen, name):
        self._scenario = scenario
        self.popen = popen
        self.name = name

    def wait_exit(self, timeout=DEFAULT_WAIT):
        """The program's exit code (wine's exit status)."""
        try:
            return self.popen.wait(self._scenario.bounded(timeout))
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{self.name} still running after {timeout:.0f} s") from None

    @property
    def running(self):
        return self.popen.poll() is None

    def kill(self):
        if self.running:
            self.popen.kill()
            self.popen.wait()


class Holder(Program):
    """tests/wine/mutex_holder or file_holder: holds a named mutex or an
    open file until stopped."""

    def stop(self):
        """Closes its stdin, on which it lets go and ends."""
        self.popen.stdin.close()
        return self.wait_exit()


class Scenario:
    """One scenario's prefix, display, driver and programs, cleaned up on exit
    however the scenario ends."""

    deadline = 60.0  # seconds for the whole scenario's steps
    # After the deadline, failure screenshots and the clean-up may still take
    # this long before the watchdog ends every process of the scenario.
    watchdog_grace = 10.0

    def __init__(self, name, paths):
        self.name = name
        self.paths = paths
        self.build = paths.build
        self.artifacts = paths.artifacts / name
        self.prefix = None
        self._processes = []
        self._shots = 0
        self._xvfb = None
        self._display = os.environ.get("DISPLAY")
        self._driver = None
        self._lines = None
        self._started = None
        self._expired = False
        self._log = subprocess.DEVNULL
        self._mounts = []

    # Setting up and cleaning up -------------------------------------------

    def __enter__(self):
        self._started = time.monotonic()
        self._watchdog = threading.Timer(self.deadline + self.watchdog_grace, self._expire)
        self._watchdog.daemon = True
        self._watchdog.start()
        try:
            shutil.rmtree(self.artifacts, ignore_errors=True)
            self.artifacts.mkdir(parents=True)
            self._log = open(self.artifacts / "wine.log", "wb")
            self._make_prefix()
            if not self._display:
                self._start_xvfb()
            self._start_driver()
        except BaseException:
            self._clean_up(failed=True)
            raise
        return self

    def __exit__(self, kind, error, trace):
        failed = kind is not None and not issubclass(kind, Skipped)
        if failed and not self._expired:
            self._shoot_everything()
        self._clean_up(failed)
        if self._expired and failed:
            raise HarnessError(f"scenario stopped after {self.deadline:.0f} s") from error
        return False

    def leftovers(self):
        """Processes of the scenario that still run (none after it ends)."""
        return [p for p in self._processes + [self._xvfb] if p and p.poll() is None]

    def _make_prefix(self):
        template = self.paths.wine_root / "template"
        if not template.is_dir():
            subprocess.run([WINE_ENV, "template", self.paths.wine_root], check=True,
                           stdout=self._log, stderr=self._log)
        out = subprocess.run([WINE_ENV, "prefix", self.paths.wine_root, self.name],
                             check=True, capture_output=True, text=True)
        self.prefix = Path(out.stdout.strip())

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=self._log)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            number = announced.readline().strip()
        if not number:
            raise HarnessError("Xvfb did not start")
        self._display = ":" + number

    def _start_driver(self):
        self._driver = self._wine(self.paths.driver, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self._lines = _Lines(self._driver.stdout)
        code_page = self._request("hello")[0][0]
        if code_page != CODE_PAGE:
            raise HarnessError(f"the prefix has ANSI code page {code_page}, not {CODE_PAGE}")

    def _expire(self):
        """The watchdog: ends every process, so that any wait fails at once."""
        self._expired = True
        self._stop_processes()
        if self._xvfb:
            self._xvfb.kill()

    def _stop_processes(self):
        for p in self._processes:
            if p.poll() is None:
                p.kill()
        if self.prefix:
            self._wineserver("-k")

    def _wineserver(self, *args):
        try:
            subprocess.run([WINE_ENV, "exec", self.prefix, "wineserver", *args], timeout=30,
                           stdout=self._log, stderr=self._log, env=self._env())
        except subprocess.TimeoutExpired:
            pass

    def _clean_up(self, failed):
        self._watchdog.cancel()
        self._stop_processes()
        if self.prefix:
            self._wineserver("-w")
        for p in self._processes:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                pass
        if self._xvfb:
            self._xvfb.terminate()
            self._xvfb.wait(10)
        self._unmount()
        if self._log != subprocess.DEVNULL:
            self._log.close()
        if self.prefix and not failed:
            shutil.rmtree(self.prefix, ignore_errors=True)

    # Time ---------------------------------------------------------------

    def remaining(self):
        return self.deadline - (time.monotonic() - self._started)

    def skip(self, reason):
        """Ends the scenario as skipped, neither passed nor failed."""
        raise Skipped(reason)

    def bounded(self, timeout):
        """A timeout cut to what is left of the scenario's deadline."""
        return max(0.0, min(timeout, self.remaining()))

    def wait_until(self, predicate, what, timeout=DEFAULT_WAIT):
        """Polls predicate until it gives a true value, which is returned."""
        end = time.monotonic() + self.bounded(timeout)
        while True:
            value = predicate()
            if value:
                return value
            if time.monotonic() >= end:
                raise HarnessError(f"not within {timeout:.0f} s: {what}")
            time.sleep(POLL_SECONDS)

    # Programs -----------------------------------------------------------

    def _env(self, extra=None):
        env = dict(os.environ)
        if self._display:
            env["DISPLAY"] = self._display
        env.update(extra or {})
        return env

    def _wine(self, program, args=(), cwd=None, stdin=subprocess.DEVNULL, stdout=None, env=None):
        popen = subprocess.Popen(
            [WINE_ENV, "exec", self.prefix, "wine", program, *args], cwd=cwd, env=self._env(env),
            stdin=stdin, stdout=stdout if stdout else self._log, stderr=self._log)
        self._processes.append(popen)
        return popen

    def start(self, program, *args, env=None):
        """Starts a program under Wine, in its own folder, in the background;
        env adds variables for that process alone (WINEDLLOVERRIDES joins
        the prefix's own overrides)."""
        program = Path(program)
        return Program(self, self._wine(program, args, cwd=program.parent, env=env), program.name)

    def map_drive(self, letter, folder):
        """Makes drive letter: name a host folder, through a link in the
        prefix's dosdevices. Wine takes in its drives when the prefix starts,
        so the prefix is restarted: call this before starting any program."""
        if any(p.poll() is None for p in self._processes if p is not self._driver):
            raise HarnessError("map_drive: programs are running")
        os.symlink(Path(folder).resolve(), self.prefix / "dosdevices" / f"{letter.lower()}:")
        self._wineserver("-k")
        self._driver.wait(10)
        self._start_driver()

    def map_small_drive(self, letter, size):
        """Makes drive letter: a volume of its own of the given size ("1m"),
        a tmpfs mounted in the prefix and unmounted however the scenario
        ends; returns its host folder. Raises Skipped when this machine
        refuses the mount."""
        root = self.prefix / f"volume_{letter.lower()}"
        root.mkdir()
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size},mode=0755", "tmpfs", root],
                              capture_output=True, text=True)
        if done.returncode != 0:
            raise Skipped(f"mounting a tmpfs was refused: {done.stderr.strip()}")
        self._mounts.append(root)
        self.map_drive(letter, root)
        return root

    def _unmount(self):
        """Lazily, so that a file a killed program still held open cannot
        keep the volume in the prefix, which is removed next."""
        for root in reversed(self._mounts):
            done = subprocess.run(["umount", "--lazy", root], capture_output=True, text=True)
            if done.returncode != 0:
                print(f"umount {root}: {done.stderr.strip()}", file=sys.stderr)
        self._mounts.clear()

    def _hold(self, helper, argument, what):
        popen = self._wine(helper, [argument], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = _Lines(popen.stdout).next(self.bounded(DEFAULT_WAIT), what)
        if line != "held":
            raise HarnessError(f"{what}: {line}")
        return Holder(self, popen, f"{what} {argument}")

    def hold_mutex(self, name):
        """Starts a helper that holds the named mutex; returns once it does."""
        return self._hold(self.paths.mutex_holder, name, "mutex holder")

    def hold_file(self, path):
        """Starts a helper that holds the file (a Windows path) open with
        share mode 0, so that no one else can open it; returns once it does."""
        return self._hold(self.paths.file_holder, path, "file holder")

    def run(self, program, *args, timeout=DEFAULT_WAIT):
        """Runs a program under Wine to its end: (exit code, its stdout in
        UTF-8)."""
        popen = self._wine(program, args, stdout=subprocess.PIPE)
        try:
            out, _ = popen.communicate(timeout=self.bounded(timeout))
        except subprocess.TimeoutExpired:
            popen.kill()
            popen.wait()
            raise HarnessError(f"{Path(program).name} still running after {timeout:.0f} s") from None
        return popen.returncode, out.decode("utf-8", "replace")

    def host_path(self, path):
        """Where a Windows path of the prefix (drive letter, backslashes)
        lies on the host, found as Wine finds it: letter case does not
        matter for names that exist."""
        drive, _, rest = path.partition(":")
        host = self.prefix / "dosdevices" / (drive.lower() + ":")
        for name in filter(None, rest.split("\\")):
            candidates = [c for c in host.iterdir() if c.name.lower() == name.lower()] \
                if host.is_dir() else []
            host = candidates[0] if candidates else host / name
        return host

    def build_package(self, manifest, path):
        """Builds the package file at path from a Manifest with pkgtool."""
        toml = Path(path).with_suffix(".toml")
        toml.write_text(manifest.toml(), encoding="utf-8")
        done = subprocess.run([self.paths.pkgtool, "build", toml, "-o", path],
                              capture_output=True, text=True)
        toml.unlink()
        if done.returncode != 0:
            raise HarnessError(f"pkgtool build: {done.stderr.strip()}")

    def distribution(self, package=None, files=None, folders=(), readme=None,
                     uninstaller=b"MZ", name="INSTALL.EXE", folder="dist", program=None):
        """Lays out a distribution folder C:\\<folder> in the prefix: the
        program (INSTALL.EXE unless given) under name; under the same name
        with ".PKG" the package file (a Manifest, built with its item
        sources; bytes; or the path of a built file) and with ".TXT" the
        readme (bytes); item files (relative name → bytes) and folders; and
        "UNINST.EXE" (bytes) unless uninstaller is None."""
        root = self.prefix / "drive_c" / folder
        root.mkdir(parents=True, exist_ok=True)
        target = root / name
        shutil.copyfile(program or self.paths.installer, target)
        stem = str(target.with_suffix(""))
        if isinstance(package, Manifest):
            self.build_package(package, stem + ".PKG")
            files = {**_sources(package, folders_too=False), **(files or {})}
            folders = (*_sources(package, folders_too=True), *folders)
        elif isinstance(package, bytes):
            Path(stem + ".PKG").write_bytes(package)
        elif package is not None:
            shutil.copyfile(package, stem + ".PKG")
        if readme is not None:
            Path(stem + ".TXT").write_bytes(readme)
        if uninstaller is not None:
            (root / "UNINST.EXE").write_bytes(uninstaller)
        for relative, data in (files or {}).items():
            (root / relative).parent.mkdir(parents=True, exist_ok=True)
            (root / relative).write_bytes(data)
        for relative in folders:
            (root / relative).mkdir(parents=True, exist_ok=True)
        return Distribution(root, "C:\\" + folder.replace("/", "\\") + "\\", target)

    # The driver -----------------------------------------------------------

    def _request(self, *fields, wait=0.0):
        """Sends one command; returns its records, or raises its error."""
        if self._expired:
            raise HarnessError("scenario deadline passed")
        line = "\t".join(_escape(str(f)) for f in fields) + "\n"
        try:
            self._driver.stdin.write(line.encode("utf-8"))
            self._driver.stdin.flush()
        except OSError:
            raise HarnessError("the driver has ended") from None
        records = []
        while True:
            reply = self._lines.next(wait + DRIVER_GRACE, f"driver {fields[0]}")
            if reply == "ok":
                return records
            if reply.startswith("error\t"):
                raise HarnessError(f"{fields[0]}: {_unescape(reply[6:])}")
            if not reply.startswith("=\t"):
                raise HarnessError(f"driver: unexpected line {reply!r}")
            records.append([_unescape(f) for f in reply.split("\t")[1:]])

    def _wait_ms(self, timeout):
        return str(int(self.bounded(timeout) * 1000))

    def windows(self):
        """Every visible top-level window, topmost first."""
        return [Window.parse(f) for f in self._request("windows")]

    def wait_window(self, caption, timeout=DEFAULT_WAIT, class_name="", shoot=True):
        """The first visible top-level window with exactly this caption; a
        screenshot of it goes to the artefacts."""
        fields = self._request("wait", caption, self._wait_ms(timeout), class_name, wait=timeout)
        window = Window.parse(fields[0])
        if shoot:
            self.screenshot(window)
        return window

    def wait_gone(self, caption, timeout=DEFAULT_WAIT, class_name=""):
        self._request("gone", caption, self._wait_ms(timeout), class_name, wait=timeout)

    def controls(self, window):
        return [Control.parse(f) for f in self._request("controls", window.hwnd)]

    def control(self, window, name):
        """The control with this form name."""
        controls = self.controls(window)
        for c in controls:
            if c.name == name:
                return c
        raise HarnessError(f"no control {name!r} in {window.caption!r}; "
                           f"there are {[c.name for c in controls]}")

    def text(self, control):
        return self._request("text", control.hwnd)[0][0]

    def checked(self, control):
        return int(self._request("checked", control.hwnd)[0][0])

    def progress(self, bar):
        return Progress(*map(int, self._request("progress", bar.hwnd)[0]))

    def focus(self, window):
        """The hwnd of the control that has the keyboard focus in the
        window's thread ("0x0" when none)."""
        return self._request("focus", window.hwnd)[0][0]

    def items(self, control):
        """The items of a list box or combo box, and the index of the selected
        one (-1 for none)."""
        records = self._request("items", control.hwnd)
        selected = [i for i, (_, on) in enumerate(records) if on == "1"]
        return [text for text, _ in records], selected[0] if selected else -1

    def click(self, control):
        """BM_CLICK on a button, check box or radio item."""
        self._request("click", control.hwnd)

    def mouse(self, target, x=None, y=None, clicks=1):
        """A real left click in a control or window: at (x, y) of its client
        area, or at its centre; clicks=2 is a double-click, sent in one go."""
        point = () if x is None else (x, y, clicks)
        self._request("mouse", target.hwnd, *point)

    def keys(self, window, *keys):
        """Types keys into a window: "Enter", "Esc", "Tab", "Shift+Tab",
        "Alt+C", "Up", "Down", "Left", "Right", "Space", a letter or digit."""
        self._request("keys", window.hwnd, *keys)

    def close(self, window):
        """Clicks the window's close box."""
        self._request("close", window.hwnd)

    def mutex_exists(self, name):
        """Whether a process in the prefix holds a mutex of this name."""
        return self._request("mutex", name)[0][0] == "1"

    # Message boxes ------------------------------------------------------

    def wait_message_box(self, caption, timeout=DEFAULT_WAIT):
        """A message box (dialog class "#32770") with this caption, its text
        and its buttons."""
        window = self.wait_window(caption, timeout, class_name="#32770")
        controls = self.controls(window)
        texts = [c.text for c in controls if c.class_name == "Static" and c.text]
        buttons = [c for c in controls if c.class_name == "Button" and c.visible]
        if len(texts) != 1:
            raise HarnessError(f"message box {caption!r} has texts {texts}")
        return MessageBox(window, texts[0], buttons)

    def answer(self, box, button_text):
        """Clicks the message box button with this text; waits until the box
        has gone."""
        for b in box.buttons:
            if b.text == button_text:
                self.click(b)
                self.wait_until(lambda: box.window.hwnd not in {w.hwnd for w in self.windows()},
                                f"message box {box.caption!r} to close")
                return
        raise HarnessError(f"no button {button_text!r} on {box.caption!r}: {box.button_texts}")

    def message_box_icon(self, box):
        """"information", "question", "warning", "error" or "none"."""
        return self._request("icon", box.window.hwnd)[0][0]

    # Registry -----------------------------------------------------------

    def reg_set(self, key, name, value, kind="REG_SZ"):
        """Sets a value; kind is REG_SZ, REG_EXPAND_SZ, REG_DWORD or REG_BINARY
        (value then bytes)."""
        data = value.hex() if kind == "REG_BINARY" else str(value)
        self._request("regset", key, name, kind, data)

    def reg_get(self, key, name):
        """(kind, value) of a value, or None when it or its key is missing."""
        records = self._request("regget", key, name)
        if not records:
            return None
        kind, data = records[0]
        if kind == "REG_DWORD":
            return kind, int(data)
        if kind in ("REG_SZ", "REG_EXPAND_SZ"):
            return kind, data
        return kind, bytes.fromhex(data)

    def reg_delete_value(self, key, name):
        self._request("regdelvalue", key, name)

    def reg_delete_key(self, key):
        self._request("regdelkey", key)

    # Screenshots --------------------------------------------------------

    def screenshot(self, window, label=None):
        """Saves the window as it shows on the screen to
        artifacts/<scenario>/NN-<label or caption>.png."""
        self._shots += 1
        label = re.sub(r'[\x00-\x1f/\\:*?"<>|]', "_", label or window.caption) or window.class_name
        png = self.artifacts / f"{self._shots:02d}-{label}.png"
        bmp = png.with_suffix(".bmp")
        self._request("shot", window.hwnd, windows_path(bmp))
        subprocess.run(["convert", bmp, png], check=True, timeout=30)
        bmp.unlink()
        return png

    def _shoot_everything(self):
        try:
            for w in self.windows():
                self.screenshot(w, "failure-" + (w.caption or w.class_name))
        except (HarnessError, subprocess.SubprocessError, OSError) as e:
            print(f"no failure screenshots: {e}", file=sys.stderr)


# The player's download server --------------------------------------------

class PlayerServer:
    """An HTTP/1.0 server on 127.0.0.1:PLAYER_PORT, in a thread, for as long
    as the with block runs. Each connection's request, read up to its blank
    line, goes to `requests` as received; the answer is "200 OK" with body's
    Content-Length and the body, or with cut_after only that many bytes of
    it before the server closes; answer, when given, is sent instead as it
    stands (a broken server's bytes). A silent server sends nothing and
    keeps each connection open until hang_up. Unless listening, the port is
    only held, so that every connection is refused."""

    def __init__(self, body=b"", cut_after=None, listening=True, answer=None, silent=False):
        self.requests = []
        if answer is None:
            answer = (f"HTTP/1.0 200 OK\r\nContent-Length: {len(body)}\r\n"
                      "Content-Type: application/octet-stream\r\n\r\n").encode() + body[:cut_after]
        self._answer = answer
        self._silent = silent
        self._hung_up = threading.Event()
        self._listening = listening
        self._socket = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._stopped = threading.Event()
        self._thread = threading.Thread(target=self._serve, daemon=True)

    def __enter__(self):
        self._socket.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            self._socket.bind(("127.0.0.1", PLAYER_PORT))
        except OSError as e:
            self._socket.close()
            raise HarnessError(f"cannot take 127.0.0.1:{PLAYER_PORT} for the player's "
                               f"download server: {e}") from None
        if self._listening:
            self._socket.listen()
            self._socket.settimeout(POLL_SECONDS)
            self._thread.start()
        return self

    def __exit__(self, *exception):
        self._stopped.set()
        self._hung_up.set()
        if self._thread.is_alive():
            self._thread.join()
        self._socket.close()
        return False

    def hang_up(self):
        """Closes the connections a silent server holds, without an answer."""
        self._hung_up.set()

    def _serve(self):
        while not self._stopped.is_set():
            try:
                connection, _ = self._socket.accept()
            except TimeoutError:
                continue
            with connection:
                self._reply(connection)

    def _reply(self, connection):
        connection.settimeout(DEFAULT_WAIT)
        request = b""
        try:
            while b"\r\n\r\n" not in request:
                chunk = connection.recv(4096)
                if not chunk:
                    break
                request += chunk
            self.requests.append(request)
            if self._silent:
                self._hung_up.wait()
                return
            connection.sendall(self._answer)
            connection.shutdown(socket.SHUT_WR)
        except OSError:
            pass  # the client went away; the scenario sees it in what it left


# Registration and the command line ---------------------------------------

_SCENARIOS = {}


def scenario(function):
    """Registers a scenario under its function name. Only the file being run
    registers its own: one that imports another's helpers does not run that
    file's scenarios a second time."""
    if function.__module__ == "__main__":
        _SCENARIOS[function.__name__] = function
    return function


def main():
    suite = Path(sys.argv[0]).name.removesuffix("_test.py").removesuffix(".py")
    parser = argparse.ArgumentParser(description=f"End-to-end scenarios of {suite}")
    parser.add_argument("names", nargs="*", help="scenarios to run (default: all)")
    parser.add_argument("--list", action="store_true", help="print the scenario names")
    parser.add_argument("--build", default=SOURCE / "build/native", help="native build folder")
    parser.add_argument("--win32", default=SOURCE / "build/win32", help="Win32 build folder")
    args = parser.parse_args()
    if args.list:
        print(";".join(_SCENARIOS))
        return
    paths = Paths(args.build, args.win32)
    names = args.names or list(_SCENARIOS)
    failed, skipped = [], []
    for name in names:
        if name not in _SCENARIOS:
            parser.error(f"no scenario {name!r}; there are {list(_SCENARIOS)}")
        full = f"{suite}.{name}"
        print(f"--- {full}", flush=True)
        try:
            with Scenario(full, paths) as s:
                _SCENARIOS[name](s)
        except Skipped as reason:
            skipped.append(full)
            print(f"SKIPPED {full}: {reason}", flush=True)
        except Exception:  # report, run the others, fail at the end
            failed.append(full)
            traceback.print_exc()
            print(f"FAILED {full}", file=sys.stderr, flush=True)
    # Only a run in which nothing ran counts as skipped as a whole.
    sys.exit(1 if failed else SKIP_EXIT_CODE if len(skipped) == len(names) else 0)
