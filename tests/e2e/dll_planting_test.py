"""INSTALL.EXE run from a folder where libraries named like system ones were
planted loads none of them: it takes system libraries from the system folder
only.

Wine is told to prefer the planted (native) copies of those names for the
installer's process alone, so that any load that searched the program's
folder would take one. Some names cannot be judged under Wine and are left
out: imm32.dll and version.dll, which Wine loads for every program before its
own code runs; msvcrt.dll, the C runtime, imported before any of the
program's code runs (a known DLL, which Windows takes from the system folder
alone); and ole32.dll and rpcrt4.dll, which Wine's imm32 loads (the second
through the first) when the first window is made, in a way that ignores the
program's search restriction (both are known DLLs on Windows)."""

from harness import HarnessError, Manifest, main, scenario

PLANTED = (
    # The libraries INSTALL.EXE calls.
    "lz32", "comctl32", "advapi32", "user32", "gdi32", "shell32", "ws2_32",
    # Libraries those load in turn, or that a setup program is known to be
    # tricked into loading.
    "uxtheme", "dwmapi", "wsock32", "mswsock", "shlwapi", "oleaut32", "winmm",
    "iphlpapi", "dnsapi", "propsys", "userenv", "secur32", "cryptbase", "profapi",
)
PRODUCT = Manifest(product="表示ソフト")


@scenario
def planted_libraries(s):
    """Through start-up to the main dialog and Cancel: no planted library
    left its mark."""
    planted = s.paths.planted.read_bytes()
    dist = s.distribution(package=PRODUCT, files={f"{name}.dll": planted for name in PLANTED})

    def loaded():
        return sorted(p.name for p in dist.folder.glob("*.loaded"))

    app = s.start(dist.program, env={"WINEDLLOVERRIDES": ",".join(PLANTED) + "=n,b"})
    try:
        form = s.wait_window("INSTALL - " + PRODUCT.product)
        s.keys(form, "Esc")
        assert app.wait_exit() == 0
    except (AssertionError, HarnessError) as e:
        # A planted library usually makes the program fail; say which.
        raise AssertionError(f"{e}; planted libraries loaded: {loaded()}") from e
    assert loaded() == [], f"planted libraries loaded: {loaded()}"


if __name__ == "__main__":
    main()
