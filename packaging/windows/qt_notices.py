#!/usr/bin/python3
"""Writes the notices of the third-party code inside the static Qt that
kiroku.exe links: Core, Gui, Widgets and the Windows platform plugin, built as
scripts/windows.sh builds them (bundled zlib, pcre2, libpng and harfbuzz; no
FreeType, JPEG, OpenGL, Vulkan, network or D-Bus).

Usage: qt_notices.py QTBASE_SOURCE OUTPUT
"""
import json
import os
import sys

# Attribution files of qtbase whose code is compiled into those parts on
# 64-bit Windows. Left out: other platforms (android, wasm, forkfd, cocoa,
# the macOS event dispatcher), ARM only (pixman), and the features that the
# build turns off (freetype, libjpeg, opengl, vulkan, network, dbus, testlib).
ATTRIBUTIONS = [
    "src/3rdparty/blake2", "src/3rdparty/double-conversion", "src/3rdparty/easing",
    "src/3rdparty/harfbuzz-ng", "src/3rdparty/icc", "src/3rdparty/libpng", "src/3rdparty/md4",
    "src/3rdparty/md4c", "src/3rdparty/md5", "src/3rdparty/pcre2", "src/3rdparty/rfc6234",
    "src/3rdparty/sha1", "src/3rdparty/sha3", "src/3rdparty/tinycbor", "src/3rdparty/zlib",
    "src/corelib/text", "src/corelib/tools", "src/gui/painting", "src/gui/text",
]


def entries(folder):
    with open(os.path.join(folder, "qt_attribution.json"), encoding="utf-8") as f:
        data = json.loads(f.read(), strict=False)
    return data if isinstance(data, list) else [data]


def licence_texts(folder, entry):
    names = entry.get("LicenseFiles") or [entry.get("LicenseFile")]
    texts = []
    for name in filter(None, names):
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
            texts.append(f.read().strip())
    return texts


def main(source, output):
    rule = "=" * 78
    out = [
        "Third-party code in the Qt libraries linked into kiroku.exe",
        "",
        "kiroku.exe contains Qt 6 (Core, Gui, Widgets and the Windows platform",
        "plugin), linked statically, under the GNU Lesser General Public License,",
        "version 3 (LGPL-3.0.txt, which adds to the GPL in LICENSE.txt). Qt in turn",
        "contains the code listed below, under the licences that follow each entry.",
        "",
    ]
    for relative in ATTRIBUTIONS:
        folder = os.path.join(source, relative)
        for entry in entries(folder):
            out += [rule, entry.get("Name", entry.get("Id", relative))]
            for key, label in (("QtUsage", "Used"), ("Version", "Version"), ("Homepage", "Home page"),
                               ("LicenseId", "Licence"), ("License", "Licence name")):
                if entry.get(key):
                    out.append(f"{label}: {' '.join(str(entry[key]).split())}")
            if entry.get("Copyright"):
                out += ["", entry["Copyright"].strip()]
            for text in licence_texts(folder, entry):
                out += ["", text]
            out.append("")
    with open(output, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
