"""The player offer after the install dialog, under Wine: the question by
C:\\mplayer, No, and Yes with the download from a loopback server into TEMP
(complete, broken off, server unreachable, answers that are no file, a
server that never answers) and the start of what is there.
The installer is the loopback build, laid out as INSTALL.EXE."""

import os
import pwd
import random
import time

from harness import HarnessError, Manifest, PlayerServer, main, scenario

# The program's own texts (src/app/texts.cpp).
COMPLETED = "インストールが完了しました\nスタートメニューからアプリケーションを起動する事が出来ます"
PLAYER_UPDATE = "続けてmplayerの最新版をインストールしますか？"
PLAYER_NEEDED = "PCでの動画再生にはmplayerが必要です。続けてインストールしますか？"
YES, NO = "はい(&Y)", "いいえ(&N)"

PRODUCT = Manifest()
REQUEST = (b"GET /mplayer_install.exe HTTP/1.0\r\nUser-Agent: Installer Ver1.0\r\n"
           b"Host: 127.0.0.1\r\nConnection: close\r\n\r\n")
INSTALLER = "mplayer_install.exe"


def temp_folder(s):
    """The prefix's TEMP on the host: C:\\users\\<user>\\Temp."""
    folder = s.prefix / "drive_c/users" / pwd.getpwuid(os.getuid()).pw_name / "Temp"
    if not folder.is_dir():
        raise HarnessError(f"no TEMP folder at {folder}")
    return folder


def lay_out_player_folder(s, kind):
    """C:\\mplayer as a folder, a file, or absent (None)."""
    path = s.prefix / "drive_c/mplayer"
    if path.is_dir():
        path.rmdir()
    elif path.exists():
        path.unlink()
    if kind == "folder":
        path.mkdir()
    elif kind == "file":
        path.write_bytes(b"not a folder")


def offer(s, dist, closing):
    """Starts the installer, opens the install dialog with OK and closes it
    by Cancel or by a completed installation; returns the program and the
    player question, checked for its caption, buttons and icon."""
    app = s.start(dist.program)
    form = s.wait_window("INSTALL - " + PRODUCT.product)
    s.click(next(c for c in s.controls(form) if c.name == "btnOK"))
    dialog = s.wait_window("インストール")
    buttons = {c.name: c for c in s.controls(dialog) if c.name}
    if closing == "cancel":
        s.click(buttons["btnCancel"])
    else:
        s.click(buttons["btnInstall"])
        done = s.wait_message_box("INSTALL")
        assert done.text == COMPLETED, done.text
        s.answer(done, "OK")
    box = s.wait_message_box("情報")
    assert box.button_texts == [YES, NO], box.button_texts
    icon = s.message_box_icon(box)
    assert icon == "information", icon
    return app, box


def player_files(temp):
    return sorted(p.name for p in temp.iterdir() if p.name.startswith(INSTALLER))


@scenario
def question(s):
    """The question after Cancel and after a completed installation, by
    what C:\\mplayer is; No downloads and starts nothing."""
    cases = [
        # how the install dialog closes, C:\mplayer, the question
        ("cancel", "folder", PLAYER_UPDATE),
        ("cancel", "file", PLAYER_NEEDED),
        ("install", None, PLAYER_NEEDED),
        ("install", "folder", PLAYER_UPDATE),
    ]
    dist = s.distribution(package=PRODUCT, program=s.paths.installer_loopback)
    temp = temp_folder(s)
    with PlayerServer(s.paths.marker.read_bytes()) as server:
        for closing, player_folder, question_text in cases:
            try:
                lay_out_player_folder(s, player_folder)
                app, box = offer(s, dist, closing)
                assert box.text == question_text, box.text
                s.answer(box, NO)
                assert app.wait_exit() == 0
                assert server.requests == [] and player_files(temp) == [], (server.requests, player_files(temp))
            except (AssertionError, HarnessError) as e:
                raise AssertionError(f"case {closing}, C:\\mplayer {player_folder}: {e}") from e


@scenario
def download(s):
    """Yes: the one request, the file in TEMP and its start. A download that
    breaks off or finds no server leaves no partial file and starts the
    complete file an earlier run left, if any."""
    served = s.paths.marker.read_bytes()
    # Still a program that runs: Windows ignores bytes after the image.
    earlier = served + b"earlier run"
    half = len(served) // 2
    cases = [
        # how the install dialog closes, server (cut after, listening),
        # earlier file in TEMP, the file then in TEMP (None: none), requests
        ("install", (None, True), None, served, [REQUEST]),
        ("cancel", (None, True), earlier, served, [REQUEST]),
        ("cancel", (half, True), None, None, [REQUEST]),
        ("cancel", (half, True), earlier, earlier, [REQUEST]),
        ("cancel", (None, False), earlier, earlier, []),
    ]
    dist = s.distribution(package=PRODUCT, program=s.paths.installer_loopback)
    temp = temp_folder(s)
    for number, (closing, (cut_after, listening), before, after, requests) in enumerate(cases):
        try:
            for name in player_files(temp):
                (temp / name).unlink()
            if before is not None:
                (temp / INSTALLER).write_bytes(before)
            with PlayerServer(served, cut_after, listening) as server:
                app, box = offer(s, dist, closing)
                s.answer(box, YES)
                assert app.wait_exit() == 0
            assert server.requests == requests, server.requests
            if after is None:
                assert player_files(temp) == [], player_files(temp)
                continue
            ran = temp / (INSTALLER + ".ran")
            s.wait_until(lambda: ran.exists() and ran.stat().st_size, "the player's installer to be started")
            assert ran.read_text() == "shown 5"
            assert player_files(temp) == [INSTALLER, INSTALLER + ".ran"], player_files(temp)
            assert (temp / INSTALLER).read_bytes() == after
        except (AssertionError, HarnessError) as e:
            raise AssertionError(f"case {number} ({closing}, cut after {cut_after}, listening {listening}, "
                                 f"earlier file {before is not None}): {e}") from e


def head(status, length):
    """An answer's head; no Content-Length field when length is None."""
    field = "" if length is None else f"Content-Length: {length}\r\n"
    return f"{status}{field}Content-Type: application/octet-stream\r\n\r\n".encode()


@scenario
def broken_answers(s):
    """Yes against a server whose answer is not a complete file: the offer
    ends without a file left in TEMP, nothing is started, and the program
    exits 0. Each answer but the noise carries the whole program, so a file
    kept or started from it would show."""
    served = s.paths.marker.read_bytes()
    cases = [
        # what the server sends after reading the request, then it closes
        ("nothing", b""),
        ("no status line", head("", len(served)) + served),
        ("status 404", head("HTTP/1.0 404 Not Found\r\n", len(served)) + served),
        ("binary noise", random.Random(1).randbytes(4096)),
        ("no Content-Length", head("HTTP/1.0 200 OK\r\n", None) + served),
        ("Content-Length beyond the body", head("HTTP/1.0 200 OK\r\n", len(served) + 1) + served),
    ]
    dist = s.distribution(package=PRODUCT, program=s.paths.installer_loopback)
    temp = temp_folder(s)
    for what, answer in cases:
        try:
            with PlayerServer(answer=answer) as server:
                app, box = offer(s, dist, "install")
                s.answer(box, YES)
                assert app.wait_exit() == 0
            assert server.requests == [REQUEST], server.requests
            assert player_files(temp) == [], player_files(temp)
        except (AssertionError, HarnessError) as e:
            raise AssertionError(f"answer {what}: {e}") from e


@scenario
def silent_server(s):
    """Yes against a server that reads the request and then neither answers
    nor closes: the client has no time-out, so the program stays in the
    download with its main dialog on screen and not answering. Once the
    server hangs up, the program ends with exit 0, having started nothing."""
    held = 5.0  # seconds the program is watched while the server is silent
    dist = s.distribution(package=PRODUCT, program=s.paths.installer_loopback)
    temp = temp_folder(s)
    with PlayerServer(silent=True) as server:
        app, box = offer(s, dist, "install")
        s.answer(box, YES)
        s.wait_until(lambda: server.requests, "the request")
        asked = time.monotonic()
        form = s.wait_window("INSTALL - " + PRODUCT.product)
        try:
            s.text(form)
            raise AssertionError("the main dialog answers during the download")
        except HarnessError as e:
            assert "does not answer" in str(e), e
        # Still held, however quickly the query above gave up.
        time.sleep(max(0.0, held - (time.monotonic() - asked)))
        assert app.running, "the program ended while the server was silent"
        assert server.requests == [REQUEST], server.requests
        server.hang_up()
        assert app.wait_exit() == 0
    assert player_files(temp) == [], player_files(temp)


if __name__ == "__main__":
    main()
