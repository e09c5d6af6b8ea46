"""Checks that a Windows program imports only the platform's known DLLs.

A known DLL always comes from the system folder. Any other imported library is resolved when
the process starts, before the program can restrict its DLL search path, and so could be taken
from the program's own folder (a Downloads folder with a planted copy). Such libraries must be
loaded at run time from the system folder instead (framework/SystemLibrary.h).

Usage: check_imports.py OBJDUMP PROGRAM.exe
"""
import subprocess
import sys

# On the known-DLL list of every Windows the stub supports (Vista to 11), plus ntdll, which
# every process has before anything else. Not here on purpose: comctl32, shlwapi, version,
# wintrust, crypt32, msi, uxtheme, dwmapi.
KNOWN_DLLS = {
    "ntdll.dll", "kernel32.dll", "advapi32.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
    "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
    "setupapi.dll", "shell32.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
}


def imported_dlls(objdump: str, program: str) -> list:
    output = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True).stdout
    return [line.split(":", 1)[1].strip() for line in output.splitlines() if line.strip().startswith("DLL Name:")]


def main() -> int:
    objdump, program = sys.argv[1], sys.argv[2]
    imports = imported_dlls(objdump, program)
    if not imports:
        print(f"{program}: no import table found", file=sys.stderr)
        return 1
    unknown = [name for name in imports if name.lower() not in KNOWN_DLLS]
    print(f"{program} imports: {', '.join(imports)}")
    if unknown:
        print(f"not on the known-DLL list, load these at run time instead: {', '.join(unknown)}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
