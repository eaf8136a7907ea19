#!/usr/bin/env python3
"""The program is the phone's: of the phone's own libraries it may reach only
what the phone offers. The stand-ins in Platform/ may export more, for kldevice
and the tests; the program must not reach it, neither through its import table,
nor by name at run time, nor through an operation of the contacts interfaces.

    imports_test.py OBJDUMP BUILD-DIR SOURCE-DIR
"""
import pathlib
import re
import subprocess
import sys

# What the program may import from each platform library: names, or ordinals
# for a library that exports by ordinal only.
ALLOWED_IMPORTS = {
    "phone.dll": {"#1", "#2", "#3", "#4", "#5"},
    "cecore.dll": {
        "CeFindCloseRegChange", "CeFindFirstRegChange", "CeFindNextRegChange", "CeFreeNotification",
        "CeMountDBVolEx", "CeOpenDatabaseInSession", "CeUnmountDBVol", "NKDbgPrintfW", "TransparentImage",
    },
    "cemapi.dll": {"FreeProws", "MAPIFreeBuffer", "MAPIInitialize", "MAPILogonEx", "MAPIUninitialize"},
    # Loaded at run time for its one ordinal, never imported.
    "aygshell.dll": set(),
}
# The one library the program loads itself, and the ordinal it asks of it.
LOADED_LIBRARY = "aygshell.dll"
LOADED_ORDINAL = 65

# The contacts interfaces' operations, in their order, after IUnknown's.
CONTACTS_OPERATIONS = {
    "IPimApplication": ["Logon", "Logoff", "GetDefaultFolder", "GetItemFromOid", "CreateItem"],
    "IPimFolder": ["get_Items"],
    "IPimItemCollection": ["get_Count", "Item"],
    "IPimContact": [
        "get_Oid", "get_FileAs", "get_FirstName", "get_LastName", "get_CompanyName", "get_MobileTelephoneNumber",
        "get_BusinessTelephoneNumber", "get_HomeTelephoneNumber", "get_Categories",
    ],
    "IPimItem": ["SetProps", "Edit", "Display", "AddCategory", "RemoveCategory", "Save", "OpenProperty"],
}

# The platform headers the program's sources may include: the phone's
# interfaces, nothing of the stand-ins' own.
ALLOWED_HEADERS = {"CeCore.h", "CeMapi.h", "CeTransparentImage.h", "Imaging.h", "Phone.h", "PimStore.h", "SHLoadDIBitmap.h"}

failures = []


def fail(text):
    failures.append(text)


def objdump(tool, path):
    return subprocess.run([tool, "-p", str(path)], check=True, capture_output=True, text=True).stdout


def imports(dump):
    """dll (lower case) -> set of names, '#n' for an import by ordinal."""
    found = {}
    dll = None
    for line in dump.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            found.setdefault(dll, set())
            continue
        if dll is None:
            continue
        if not line.strip() or line.startswith("The ") or line.startswith(" 0"):
            if line.startswith("The "):
                dll = None
            continue
        m = re.match(r"\s*[0-9a-f]+\s+(\d+)\s+(\S+)\s*$", line)
        if m and m.group(2) != "<none>":
            found[dll].add(m.group(2))
            continue
        m = re.match(r"\s*[0-9a-f]+\s+0*(\d+)\s+<none>", line)
        if m:
            found[dll].add("#" + str(int(m.group(1))))
    return found


def exports(dump):
    names = set()
    table = False
    for line in dump.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            table = True
            continue
        if table:
            m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
            if not m:
                break
            names.add(m.group(1))
    return names


def check_imports(tool, out):
    exe = out / "KithLedger.exe"
    found = imports(objdump(tool, exe))
    for dll, allowed in sorted(ALLOWED_IMPORTS.items()):
        extra = found.get(dll, set()) - allowed
        if extra:
            fail(f"KithLedger.exe imports from {dll} what the phone does not offer: {', '.join(sorted(extra))}")
    # The import test would see nothing of a name looked up at run time: no
    # stand-in's export beyond the phone's may stand in the program at all.
    data = exe.read_bytes()
    for dll, allowed in sorted(ALLOWED_IMPORTS.items()):
        library = out / dll
        if not library.exists():
            fail(f"{library} is missing")
            continue
        for name in sorted(exports(objdump(tool, library)) - allowed):
            if name.encode("ascii") in data or name.encode("utf-16-le") in data:
                fail(f"KithLedger.exe names {dll}'s {name}, which only the stand-in has")


def program_sources(source):
    for path in sorted((source / "KithLedger").rglob("*")):
        if path.suffix in (".cpp", ".h"):
            yield path


def check_loaded_library(source):
    loads = []
    for path in program_sources(source):
        text = path.read_text(errors="replace")
        if re.search(re.escape(LOADED_LIBRARY), text, re.IGNORECASE):
            loads.append(path)
        for library in ALLOWED_IMPORTS:
            if library != LOADED_LIBRARY and re.search(r'LoadLibrary\w*\(\s*L?"' + re.escape(library), text, re.I):
                fail(f"{path.relative_to(source)} loads {library} itself")
    if len(loads) != 1:
        fail(f"{LOADED_LIBRARY} should be loaded in one place, found {[str(p.relative_to(source)) for p in loads]}")
        return
    text = loads[0].read_text()
    ordinals = {int(n) for n in re.findall(r"\bk\w*Ordinal\s*=\s*(\d+)", text)}
    lookups = re.findall(r"GetProcAddress\s*\(([^;]*)", text)
    if ordinals != {LOADED_ORDINAL} or len(lookups) != 1 or "MAKEINTRESOURCE" not in lookups[0]:
        fail(f"{loads[0].relative_to(source)} should ask {LOADED_LIBRARY} for ordinal {LOADED_ORDINAL} only "
             f"(ordinals {sorted(ordinals)}, {len(lookups)} lookups)")


def check_headers(source):
    platform = {p.name for p in (source / "Platform").rglob("*.h")}
    for path in program_sources(source):
        for header in re.findall(r'#\s*include\s*[<"](?:[^>"]*/)?([^/>"]+)[>"]', path.read_text(errors="replace")):
            if header in platform and header not in ALLOWED_HEADERS:
                fail(f"{path.relative_to(source)} includes the stand-ins' own {header}")


def interface_operations(header_text):
    found = {}
    for m in re.finditer(r"struct\s+(IPim\w+)\s*:\s*public\s+IUnknown\s*\{(.*?)\n\};", header_text, re.S):
        found[m.group(1)] = re.findall(r"virtual\s+HRESULT\s+STDMETHODCALLTYPE\s+(\w+)\s*\(", m.group(2))
    return found


def check_contacts_interfaces(source):
    header = source / "Platform" / "pimstore" / "PimStore.h"
    found = interface_operations(header.read_text())
    for name, operations in sorted(CONTACTS_OPERATIONS.items()):
        if found.get(name) != operations:
            fail(f"{name} declares {found.get(name)}; the phone's has {operations}")
    for name in sorted(set(found) - set(CONTACTS_OPERATIONS)):
        fail(f"PimStore.h declares {name}, which the phone does not have")


def main():
    tool, build, source = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    check_imports(tool, build / "out")
    check_loaded_library(source)
    check_headers(source)
    check_contacts_interfaces(source)
    for text in failures:
        print("FAIL:", text)
    if failures:
        return 1
    print("the program reaches only the phone's own platform functions and contacts operations")
    return 0


if __name__ == "__main__":
    sys.exit(main())
