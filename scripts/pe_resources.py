#!/usr/bin/python3
"""Checks the resources of Windows programs: an icon group whose sizes include
16, 24, 32, 48 and 256 px, a version resource with the given version, and a
manifest that asks for no elevation and is long-path aware.

Usage: pe_resources.py VERSION FILE.exe...
Prints what each file holds; exits 1 when something is missing.
"""
import struct
import sys

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
WANTED_SIZES = {16, 24, 32, 48, 256}


def resources(pe):
    """{type: [bytes of each resource]}"""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                data = lang.data.struct
                found.setdefault(kind.id, []).append(pe.get_data(data.OffsetToData, data.Size))
    return found


def icon_sizes(group):
    # GRPICONDIR: reserved, type, count; then 14-byte entries led by width and height (0 = 256).
    _, _, count = struct.unpack_from("<HHH", group)
    return {(group[6 + 14 * i] or 256) for i in range(count)}


def version_strings(pe):
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    return strings


def check(path, version):
    pe = pefile.PE(path)
    found = resources(pe)
    faults = []
    print(f"{path}: resource types {sorted(found)}")
    groups = found.get(RT_GROUP_ICON, [])
    sizes = icon_sizes(groups[0]) if groups else set()
    print(f"  icon sizes {sorted(sizes)}, {len(found.get(RT_ICON, []))} images")
    if not WANTED_SIZES <= sizes:
        faults.append(f"icon sizes {sorted(sizes)}")
    strings = version_strings(pe)
    for key in ("ProductName", "ProductVersion", "FileVersion", "FileDescription", "LegalCopyright"):
        print(f"  {key}: {strings.get(key)}")
    fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
    numbers = ".".join(str(n) for n in (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                        fixed.FileVersionLS >> 16)) if fixed else None
    if strings.get("ProductVersion") != version or strings.get("FileVersion") != version or numbers != version:
        faults.append(f"version {strings.get('ProductVersion')} / {numbers}, not {version}")
    manifests = found.get(RT_MANIFEST, [])
    text = manifests[0].decode("utf-8") if len(manifests) == 1 else ""
    for needle in ('level="asInvoker"', "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", ">true</longPathAware>"):
        if needle not in text:
            faults.append(f"manifest lacks {needle}" if text else f"{len(manifests)} manifests")
    for fault in faults:
        print(f"  FAULT: {fault}")
    return not faults


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    results = [check(path, sys.argv[1]) for path in sys.argv[2:]]
    sys.exit(0 if all(results) else 1)
