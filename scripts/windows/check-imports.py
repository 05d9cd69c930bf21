#!/usr/bin/env python3
"""Checks a portable Windows folder (or zip): every DLL that its programs and
DLLs import is either beside the program or one of Windows' own, and every
function imported from a shipped DLL is exported by it. Also checks that the
program is a GUI program and carries its version resource.

    check-imports.py <zip or folder> <program.exe> <version a.b.c.d>

Reads the files with the cross toolchain's objdump. Exit status 1 with one
line per fault, 0 with a summary line.
"""
import re
import struct
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

OBJDUMP = "x86_64-w64-mingw32-objdump"

# DLLs that every Windows 10 and 11 has in System32. A name not here and not
# shipped is a DLL the user would be missing.
WINDOWS_DLLS = {
    "advapi32.dll", "authz.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "d3d11.dll", "d3d9.dll", "winhttp.dll",
    "dnsapi.dll", "dwmapi.dll", "dwrite.dll", "dxgi.dll", "gdi32.dll", "imm32.dll", "iphlpapi.dll",
    "kernel32.dll", "mpr.dll", "msvcrt.dll", "netapi32.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll",
    "rpcrt4.dll", "secur32.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "userenv.dll", "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll", "wtsapi32.dll",
    "bcrypt.dll", "ncrypt.dll", "d2d1.dll", "d3d12.dll", "dcomp.dll", "oleacc.dll", "winspool.drv",
}


def objdump(path):
    return subprocess.run([OBJDUMP, "-p", str(path)], check=True, capture_output=True, text=True).stdout


def imports(dump):
    """{dll name (lower case): [function names]} of one file."""
    found = {}
    current = None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            current = found.setdefault(named.group(1).lower(), [])
            continue
        if current is not None:
            entry = re.match(r"\s+[0-9a-f]+\s+(\d+)\s+(\S+)$", line)
            if entry:
                current.append(entry.group(2))
            elif not line.strip():
                current = None
    return found


def exports(dump):
    names = set()
    in_table = False
    for line in dump.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
            continue
        if in_table:
            entry = re.match(r"\s+\[\s*\d+\]\s+(\S+)", line)
            if entry:
                names.add(entry.group(1))
            elif line.strip():
                in_table = False
    return names


def subsystem(dump):
    match = re.search(r"^Subsystem\s+\S+\s+\((.*)\)", dump, re.M)
    return match.group(1) if match else "?"


def fixed_file_version(path):
    """FILEVERSION of the version resource as 'a.b.c.d', or None."""
    data = Path(path).read_bytes()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def check(folder, program, version):
    folder = Path(folder)
    binaries = sorted(p for p in folder.rglob("*") if p.suffix.lower() in (".exe", ".dll"))
    top = {p.name.lower(): p for p in folder.iterdir() if p.suffix.lower() == ".dll"}
    dumps = {p: objdump(p) for p in binaries}
    shipped_exports = {name: exports(dumps[p]) for name, p in top.items()}
    faults = []
    checked = 0
    for path, dump in dumps.items():
        for dll, functions in imports(dump).items():
            checked += 1
            where = path.relative_to(folder)
            if dll in top:
                missing = [f for f in functions if f not in shipped_exports[dll]]
                if missing:
                    faults.append(f"{where}: {dll} lacks {', '.join(missing[:5])}")
            elif dll not in WINDOWS_DLLS and not dll.startswith("api-ms-win-"):
                faults.append(f"{where}: imports {dll}, which is neither shipped nor part of Windows")
    exe = folder / program
    if not exe.is_file():
        faults.append(f"{program} is missing")
    else:
        if subsystem(dumps[exe]) != "Windows GUI":
            faults.append(f"{program} is a {subsystem(dumps[exe])} program, not a Windows GUI one")
        if fixed_file_version(exe) != version:
            faults.append(f"{program}: version resource {fixed_file_version(exe)}, not {version}")
    for fault in faults:
        print(fault)
    if not faults:
        print(f"imports: {len(binaries)} programs and DLLs, {checked} imported DLLs, all found")
    return not faults


def main():
    source, program, version = sys.argv[1:4]
    if zipfile.is_zipfile(source):
        with tempfile.TemporaryDirectory() as unpacked:
            with zipfile.ZipFile(source) as archive:
                archive.extractall(unpacked)
            roots = [p for p in Path(unpacked).iterdir()]
            folder = roots[0] if len(roots) == 1 and roots[0].is_dir() else unpacked
            return 0 if check(folder, program, version) else 1
    return 0 if check(source, program, version) else 1


if __name__ == "__main__":
    sys.exit(main())
