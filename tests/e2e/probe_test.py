"""The harness proved on its own probe window (tests/wine/probe) and on the
prefix services the start-up scenarios rely on: named mutexes and the
registry."""

import shutil
import time

from harness import HarnessError, Scenario, main, scenario

CAPTION = "動作確認"
EXIT_CANCEL, EXIT_CLOSE_BOX, EXIT_OK = 2, 3, 10  # OK adds the radio index


def start_probe(s):
    dist = s.distribution(program=s.paths.probe, name="プローブ.EXE", folder="配布/ソフト")
    assert dist.windows_folder == "C:\\配布\\ソフト\\"
    return s.start(dist.program), s.wait_window(CAPTION)


def named(s, window):
    return {c.name: c for c in s.controls(window) if c.name}


@scenario
def dialog(s):
    """Texts read back in Japanese, clicks, a message box answered both ways,
    progress, a real mouse click on a radio item, Enter on the default
    button, the exit code, screenshots."""
    app, form = start_probe(s)
    c = named(s, form)
    assert [(n, c[n].class_name, c[n].text) for n in ("lblDirectory", "edtDirectory", "rgPackage")] == [
        ("lblDirectory", "Static", "ディレクトリの選択"),
        # ソ and 表 end in byte 0x5C in code page 932; they must not turn
        # into backslashes on the way.
        ("edtDirectory", "Edit", "C:\\ソフト\\表示\\"),
        ("rgPackage", "Button", "パッケージの選択"),
    ]
    assert [(c[n].text, c[n].checked) for n in ("rgPackage.0", "rgPackage.1")] == [
        ("標準(&S)", 1), ("最小(&M)", 0)]
    assert s.progress(c["pbCopy"]) == (0, 0, 300000)

    for answer, position in (("OK", 100000), ("キャンセル", 100000)):
        s.click(c["btnAsk"])
        box = s.wait_message_box("エラー")
        assert box.text == "Kestruneが起動しています。終了させてください"
        assert box.button_texts == ["OK", "キャンセル"]
        assert box.window.owner == form.hwnd
        s.answer(box, answer)
        assert s.progress(c["pbCopy"]).position == position

    s.mouse(c["rgPackage.1"])
    s.wait_until(lambda: s.checked(c["rgPackage.1"]) == 1, "radio item 1 checked by the mouse")
    assert s.checked(c["rgPackage.0"]) == 0
    s.screenshot(form, "after-choice")
    s.keys(form, "Enter")
    assert app.wait_exit() == EXIT_OK + 1
    pngs = sorted(p.name for p in s.artifacts.glob("*.png"))
    assert pngs == ["01-動作確認.png", "02-エラー.png", "03-エラー.png", "04-after-choice.png"], pngs


@scenario
def keys_and_close_box(s):
    """Access keys, arrows, Esc into a message box, input refused under a
    modal box, and the close box."""
    app, form = start_probe(s)
    c = named(s, form)
    s.keys(form, "Alt+M")
    s.wait_until(lambda: s.checked(c["rgPackage.1"]) == 1, "Alt+M to check radio item 1")
    s.keys(form, "Up")
    s.wait_until(lambda: s.checked(c["rgPackage.0"]) == 1, "Up to move back to radio item 0")

    s.keys(form, "Alt+A")
    box = s.wait_message_box("エラー")
    for refused in (lambda: s.click(c["btnOK"]), lambda: s.keys(form, "Enter"), lambda: s.close(form)):
        try:
            refused()
        except HarnessError as e:
            assert "disabled" in str(e), e
        else:
            raise AssertionError("input reached a window under a modal message box")
    s.keys(box.window, "Esc")
    s.wait_gone("エラー")
    assert s.progress(c["pbCopy"]).position == 0
    s.keys(form, "Esc")
    assert app.wait_exit() == EXIT_CANCEL

    app, form = start_probe(s)
    s.close(form)
    s.wait_gone(CAPTION)
    assert app.wait_exit() == EXIT_CLOSE_BOX


@scenario
def mutexes(s):
    """A helper's named mutex is seen from another program of the prefix,
    and is gone once the helper stops or is killed."""
    assert not s.mutex_exists("Kestrune")
    product = s.hold_mutex("Kestrune")
    assert s.mutex_exists("Kestrune")
    assert product.stop() == 0
    assert not s.mutex_exists("Kestrune")

    # A vendor and product in Japanese: the name goes through code page 932.
    name = "Install 株式会社ソフト 表示"
    other = s.hold_mutex(name)
    assert s.mutex_exists(name) and not s.mutex_exists("Install 株式会社ソフト")
    other.kill()
    s.wait_until(lambda: not s.mutex_exists(name), "a killed holder's mutex to go")


@scenario
def registry(s):
    """Values set in the prefix read back with their types; deleting values
    and keys."""
    key = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
    kind, programs = s.reg_get(key, "ProgramFilesDir")
    assert (kind, programs) == ("REG_SZ", "C:\\Program Files")

    test_key = "HKCU\\Software\\テスト"
    cases = [
        ("Text", "C:\\ソフト\\表示", "REG_SZ"),
        ("Expand", "%ProgramFiles%\\表示", "REG_EXPAND_SZ"),
        ("Number", 259, "REG_DWORD"),
        ("Bytes", b"\x00\x5c\xff", "REG_BINARY"),
    ]
    for name, value, kind in cases:
        s.reg_set(test_key, name, value, kind)
    for name, value, kind in cases:
        assert s.reg_get(test_key, name) == (kind, value), name
    s.reg_delete_value(test_key, "Text")
    assert s.reg_get(test_key, "Text") is None
    s.reg_delete_key(test_key)
    assert s.reg_get(test_key, "Number") is None


@scenario
def failure_cleans_up(s):
    """A scenario that fails still ends its programs and its display, keeps
    its prefix and a screenshot of what was on the screen, and takes no
    longer than its deadline however long a wait it asked for."""
    inner = Scenario(s.name + "-inner", s.paths)
    inner.deadline = 15.0  # room for a slow start on a loaded machine
    started = time.monotonic()
    try:
        with inner:
            app, _ = start_probe(inner)
            inner.wait_window("存在しない窓", timeout=50)
    except HarnessError as e:
        assert "存在しない窓" in str(e), e
    else:
        raise AssertionError("a wait for a missing window passed")
    assert time.monotonic() - started < inner.deadline + inner.watchdog_grace
    assert inner.leftovers() == [] and not app.running
    assert [p.name for p in inner.artifacts.glob("*failure*.png")] == ["02-failure-動作確認.png"]
    assert inner.prefix.is_dir()
    shutil.rmtree(inner.prefix)


if __name__ == "__main__":
    main()
