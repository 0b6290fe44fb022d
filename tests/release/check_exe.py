#!/usr/bin/env python3
"""Check the release properties of a built Updater.exe.

Usage: check_exe.py UPDATER.EXE [--manifest res/updater.manifest]

Reads the PE file with the standard library only and checks:
  - machine i386 or amd64, GUI subsystem;
  - imports only from kernel32, user32, advapi32, shell32 and msvcrt (no MinGW runtime DLL);
  - resources exactly: icon group 101 (four uncompressed bitmap images, 256/24, 48/24, 32/24,
    16/32 bits), version block 1 with the specified values, manifest 1 equal to the manifest
    file; every one in language 0x0411 and nothing else.
Prints what it found. Exits 0 when everything holds, 1 when a check fails, 2 when the file
cannot be read as a PE image at all.
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

MACHINES = {0x014C: "i386", 0x8664: "amd64"}
SUBSYSTEM_GUI = 2
ALLOWED_DLLS = ("kernel32.dll", "user32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll")
FORBIDDEN_DLL_PREFIXES = ("libstdc++", "libgcc", "libwinpthread")

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
RESOURCE_TYPE_NAMES = {RT_ICON: "RT_ICON", RT_GROUP_ICON: "RT_GROUP_ICON",
                       RT_VERSION: "RT_VERSION", RT_MANIFEST: "RT_MANIFEST"}
LANGUAGE = 0x0411
ICON_GROUP_ID = 101
VERSION_ID = 1
MANIFEST_ID = 1
ICON_IMAGES = [(256, 24), (48, 24), (32, 24), (16, 32)]  # (size, bits per pixel)

VERSION_FIXED = {
    "FileVersion": (0, 475, 0, 0),
    "ProductVersion": (0, 475, 0, 0),
    "FileFlagsMask": 0x3F,
    "FileFlags": 0,
    "FileOS": 0x00040004,      # VOS_NT_WINDOWS32
    "FileType": 1,             # VFT_APP
    "FileSubtype": 0,
    "FileDate": (0, 0),
}
STRING_TABLE_KEY = "041104b0"
VERSION_STRINGS = {
    "FileDescription": "TAVRIN Updater",
    "ProductName": "TAVRIN Updater",
    "FileVersion": "0, 475, 0, 0",
    "ProductVersion": "0, 475, 0, 0",
    "OriginalFilename": "Updater.exe",
    "CompanyName": "",
    "LegalCopyright": "",
    "Comments": "",
    "LegalTrademarks": "",
    "PrivateBuild": "",
    "SpecialBuild": "",
}
INTERNAL_NAME_KEY = "InternalName"  # any short non-empty name
TRANSLATION = [(0x0411, 0x04B0)]

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMMON_CONTROLS = {
    "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
    "processorArchitecture": "*", "publicKeyToken": "6595b64144ccf1df", "language": "*",
}


class BadImage(Exception):
    """The file is not a PE image this checker can read."""


class Report:
    """Collects findings; a failed check does not stop the others."""

    def __init__(self):
        self.failures = []

    def info(self, text):
        print("  " + text)

    def check(self, condition, text):
        if condition:
            print("ok    " + text)
        else:
            print("FAIL  " + text)
            self.failures.append(text)
        return condition


# --- PE structure -------------------------------------------------------------------------

class PeImage:
    """The headers, sections and data directories of a PE file, with reads by RVA."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise BadImage("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadImage("no PE signature at 0x%X" % pe)
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = self.u16(optional)
        if magic not in (0x10B, 0x20B):
            raise BadImage("unknown optional header magic 0x%X" % magic)
        self.subsystem = self.u16(optional + 68)
        directories = optional + (96 if magic == 0x10B else 112)
        count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            name, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), vaddr,
                                  max(vsize, rawsize), rawptr, rawsize))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def directory(self, index):
        """(rva, size) of data directory index, or (0, 0) when absent."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for _, vaddr, vsize, rawptr, rawsize in self.sections:
            if vaddr <= rva < vaddr + vsize:
                if rva - vaddr >= rawsize:
                    raise BadImage("RVA 0x%X lies in uninitialised data" % rva)
                return rawptr + rva - vaddr
        raise BadImage("RVA 0x%X is in no section" % rva)

    def read(self, rva, size):
        start = self.offset(rva)
        if start + size > len(self.data):
            raise BadImage("%d bytes at RVA 0x%X run past the end of the file" % (size, rva))
        return self.data[start:start + size]

    def c_string(self, rva):
        start = self.offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii", "replace")


def imported_dlls(image):
    """Names of the DLLs in the import directory and the delay-load import directory."""
    names = []
    rva, _ = image.directory(1)
    while rva:
        descriptor = image.read(rva, 20)
        if descriptor == bytes(20):
            break
        names.append(image.c_string(struct.unpack_from("<I", descriptor, 12)[0]))
        rva += 20
    rva, _ = image.directory(13)
    while rva:
        attributes, name = struct.unpack_from("<II", image.read(rva, 8))
        if not name:
            break
        if not attributes & 1:  # old-style descriptors hold virtual addresses, not RVAs
            raise BadImage("delay-load descriptor with virtual addresses")
        names.append(image.c_string(name) + " (delay-loaded)")
        rva += 32
    return names


# --- Resource tree ------------------------------------------------------------------------

def resource_entries(image, base, directory):
    """(id or name, offset, is_directory) of each entry of one resource directory table."""
    table = image.read(base + directory, 16)
    named, numbered = struct.unpack_from("<HH", table, 12)
    entries = []
    for i in range(named + numbered):
        name, target = struct.unpack_from("<II", image.read(base + directory + 16 + 8 * i, 8))
        if name & 0x80000000:
            length = struct.unpack_from("<H", image.read(base + (name & 0x7FFFFFFF), 2))[0]
            name = image.read(base + (name & 0x7FFFFFFF) + 2, 2 * length).decode("utf-16-le")
        entries.append((name, target & 0x7FFFFFFF, bool(target & 0x80000000)))
    return entries


def resources(image):
    """Every resource as (type, name, language, bytes), walking type/name/language."""
    base, _ = image.directory(2)
    if not base:
        return []
    found = []
    for rtype, names, is_dir in resource_entries(image, base, 0):
        if not is_dir:
            raise BadImage("resource type %r is not a directory" % (rtype,))
        for name, languages, is_dir in resource_entries(image, base, names):
            if not is_dir:
                raise BadImage("resource %r/%r is not a directory" % (rtype, name))
            for language, leaf, is_dir in resource_entries(image, base, languages):
                if is_dir:
                    raise BadImage("resource %r/%r/%r nests too deep" % (rtype, name, language))
                data_rva, size = struct.unpack_from("<II", image.read(base + leaf, 16))
                found.append((rtype, name, language, image.read(data_rva, size)))
    return found


def describe(rtype, name, language):
    kind = RESOURCE_TYPE_NAMES.get(rtype, "type %r" % (rtype,))
    tongue = "0x%04X" % language if isinstance(language, int) else repr(language)
    return "%s %s (language %s)" % (kind, name, tongue)


# --- Checks: image ------------------------------------------------------------------------

def check_headers(image, report):
    machine = MACHINES.get(image.machine)
    report.check(machine is not None, "machine: %s (0x%04X)" % (machine or "unexpected", image.machine))
    report.check(image.subsystem == SUBSYSTEM_GUI,
                 "subsystem: %d (expected %d, Windows GUI)" % (image.subsystem, SUBSYSTEM_GUI))


def dll_file_name(entry):
    """The lower-case file name of an imported_dlls entry, without the delay-load note."""
    return entry.split(" (", 1)[0].lower()


def check_imports(image, report):
    dlls = imported_dlls(image)
    report.info("imported DLLs: " + (", ".join(dlls) or "none"))
    runtime = [d for d in dlls if dll_file_name(d).startswith(FORBIDDEN_DLL_PREFIXES)]
    report.check(not runtime, "no MinGW runtime DLL imported" +
                 (": found " + ", ".join(runtime) if runtime else ""))
    others = [d for d in dlls if dll_file_name(d) not in ALLOWED_DLLS]
    report.check(not others, "imports only from " + ", ".join(ALLOWED_DLLS) +
                 (": also " + ", ".join(others) if others else ""))


# --- Checks: resources --------------------------------------------------------------------

def check_resource_set(found, icon_ids, report):
    """Exactly the expected resources, each in one language, 0x0411."""
    expected = {(RT_GROUP_ICON, ICON_GROUP_ID), (RT_VERSION, VERSION_ID), (RT_MANIFEST, MANIFEST_ID)}
    expected |= {(RT_ICON, i) for i in icon_ids}
    present = [(rtype, name) for rtype, name, _, _ in found]
    extra = sorted({p for p in present if p not in expected}, key=repr)
    missing = sorted(expected - set(present), key=repr)
    twice = sorted({p for p in present if present.count(p) > 1}, key=repr)
    report.check(not extra, "no other resources" + (": also %r" % extra if extra else ""))
    report.check(not missing, "all expected resources present" + (": missing %r" % missing if missing else ""))
    report.check(not twice, "each resource in one language only" + (": %r" % twice if twice else ""))
    wrong = [describe(t, n, l) for t, n, l, _ in found if l != LANGUAGE]
    report.check(not wrong, "every resource in language 0x%04X" % LANGUAGE +
                 (": not " + ", ".join(wrong) if wrong else ""))


def list_resources(found, report):
    for rtype, name, language, data in found:
        report.info("resource %s, %d bytes" % (describe(rtype, name, language), len(data)))


def find_resource(found, rtype, name):
    for t, n, _, data in found:
        if (t, n) == (rtype, name):
            return data
    return None


def icon_group_entries(data):
    """(width, height, planes, bits, bytes, icon id) of each GRPICONDIRENTRY."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1) or len(data) != 6 + 14 * count:
        raise BadImage("malformed icon group (reserved %d, type %d, count %d, %d bytes)"
                       % (reserved, kind, count, len(data)))
    entries = []
    for i in range(count):
        w, h, _, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        entries.append((w or 256, h or 256, planes, bits, size, icon_id))
    return entries


def bitmap_problems(data, size, bits):
    """Why an RT_ICON image is not an uncompressed bitmap of size x size at bits; [] if it is."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        return ["PNG-compressed"]
    if len(data) < 40:
        return ["%d bytes, too short for a BITMAPINFOHEADER" % len(data)]
    header_size, width, height, planes, bit_count, compression = struct.unpack_from("<IiiHHI", data)
    problems = []
    for what, got, want in (("header size", header_size, 40), ("width", width, size),
                            ("height (with mask)", height, 2 * size), ("planes", planes, 1),
                            ("bit count", bit_count, bits), ("compression", compression, 0)):
        if got != want:
            problems.append("%s %d, expected %d" % (what, got, want))
    expected = 40 + (size * bits // 8 + 3) // 4 * 4 * size + (size + 31) // 32 * 4 * size
    if not problems and len(data) != expected:
        problems.append("%d bytes, expected %d (header, colours, mask)" % (len(data), expected))
    return problems


def check_icon(found, report):
    group = find_resource(found, RT_GROUP_ICON, ICON_GROUP_ID)
    if not report.check(group is not None, "icon group %d present" % ICON_GROUP_ID):
        return []
    entries = icon_group_entries(group)
    for w, h, planes, bits, size, icon_id in entries:
        report.info("icon group entry %d: %dx%d, %d bits, planes %d, %d bytes" % (icon_id, w, h, bits, planes, size))
    shapes = sorted(((w, bits) for w, h, _, bits, _, _ in entries if w == h), reverse=True)
    report.check(len(entries) == len(ICON_IMAGES) and shapes == sorted(ICON_IMAGES, reverse=True),
                 "icon group holds exactly %s" % ", ".join("%dx%d/%d" % (s, s, b) for s, b in ICON_IMAGES))
    for w, h, planes, bits, size, icon_id in entries:
        image = find_resource(found, RT_ICON, icon_id)
        if not report.check(image is not None, "icon image %d present" % icon_id):
            continue
        problems = bitmap_problems(image, w, bits)
        if planes != 1:
            problems.append("group entry says %d planes" % planes)
        if size != len(image):
            problems.append("group entry says %d bytes, image has %d" % (size, len(image)))
        report.check(not problems, "icon image %d is an uncompressed %dx%d bitmap at %d bits%s"
                     % (icon_id, w, h, bits, ": " + "; ".join(problems) if problems else ""))
    return [entry[5] for entry in entries]


def version_node(data, offset):
    """One VS_VERSIONINFO node: (key, value type, value bytes, children, end offset)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    if length < 6 or offset + length > len(data):
        raise BadImage("version node at %d has length %d" % (offset, length))
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
        if key_end + 2 > end:
            raise BadImage("version node at %d has an unterminated key" % offset)
    key = data[offset + 6:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[value_start:min(value_start + value_bytes, end)]
    children = []
    child = (value_start + value_bytes + 3) & ~3
    while child < end:
        node = version_node(data, child)
        children.append(node)
        child = (node[4] + 3) & ~3
    return key, value_type, value, children, end


def text_value(value):
    """A string value: UTF-16 up to its terminator."""
    text = value.decode("utf-16-le")
    return text.split("\0", 1)[0]


def check_fixed_info(value, report):
    fields = struct.unpack_from("<13I", value) if len(value) >= 52 else None
    if not report.check(fields is not None and fields[0] == 0xFEEF04BD,
                        "VS_FIXEDFILEINFO present (signature 0xFEEF04BD)"):
        return
    got = {
        "FileVersion": (fields[2] >> 16, fields[2] & 0xFFFF, fields[3] >> 16, fields[3] & 0xFFFF),
        "ProductVersion": (fields[4] >> 16, fields[4] & 0xFFFF, fields[5] >> 16, fields[5] & 0xFFFF),
        "FileFlagsMask": fields[6], "FileFlags": fields[7], "FileOS": fields[8],
        "FileType": fields[9], "FileSubtype": fields[10], "FileDate": (fields[11], fields[12]),
    }
    for name, want in VERSION_FIXED.items():
        report.check(got[name] == want, "version %s: %s (expected %s)" % (name, show(got[name]), show(want)))


def show(value):
    if isinstance(value, tuple):
        return ".".join(str(v) for v in value)
    return "0x%X" % value


def check_string_table(node, report):
    key, _, _, children, _ = node
    report.check(key == STRING_TABLE_KEY, "string table key %r (expected %r)" % (key, STRING_TABLE_KEY))
    strings = {}
    for child_key, value_type, value, _, _ in children:
        strings[child_key] = text_value(value)
        report.info("version string %s = %r%s" % (child_key, strings[child_key],
                                                   "" if value_type == 1 else " (not typed as text)"))
    for name, want in VERSION_STRINGS.items():
        report.check(strings.get(name) == want, "version string %s: %r (expected %r)"
                     % (name, strings.get(name, "<missing>"), want))
    internal = strings.get(INTERNAL_NAME_KEY, "")
    report.check(0 < len(internal) <= 32, "version string %s: %r (a short name)" % (INTERNAL_NAME_KEY, internal))
    extra = sorted(set(strings) - set(VERSION_STRINGS) - {INTERNAL_NAME_KEY})
    report.check(not extra, "no other version strings" + (": also " + ", ".join(extra) if extra else ""))


def check_translation(node, report):
    _, _, _, children, _ = node
    translations = None
    if len(children) == 1 and children[0][0] == "Translation":
        value = children[0][2]
        translations = [struct.unpack_from("<HH", value, i) for i in range(0, len(value) - 3, 4)]
    report.check(translations == TRANSLATION, "VarFileInfo Translation: %s (expected %s)" % (
        translations and ", ".join("0x%04X/0x%04X" % t for t in translations),
        ", ".join("0x%04X/0x%04X" % t for t in TRANSLATION)))


def check_version(found, report):
    data = find_resource(found, RT_VERSION, VERSION_ID)
    if not report.check(data is not None, "version block %d present" % VERSION_ID):
        return
    key, _, value, children, _ = version_node(data, 0)
    report.check(key == "VS_VERSION_INFO", "version root key %r" % key)
    check_fixed_info(value, report)
    blocks = {child[0]: child for child in children}
    report.check(sorted(blocks) == ["StringFileInfo", "VarFileInfo"] and len(children) == 2,
                 "version blocks: %s (expected StringFileInfo, VarFileInfo)" % ", ".join(c[0] for c in children))
    if "StringFileInfo" in blocks:
        tables = blocks["StringFileInfo"][3]
        if report.check(len(tables) == 1, "one string table (found %d)" % len(tables)):
            check_string_table(tables[0], report)
    if "VarFileInfo" in blocks:
        check_translation(blocks["VarFileInfo"], report)


def manifest_problems(text):
    """Why a manifest does not say what the updater needs of it; [] if it does."""
    problems = []
    if not text.startswith(b"\xef\xbb\xbf"):
        problems.append("no UTF-8 byte-order mark")
    declaration = text[3:].split(b"?>", 1)[0]
    if declaration != b'<?xml version="1.0" encoding="UTF-8" standalone="yes"':
        problems.append("XML declaration %r" % declaration)
    try:
        root = ElementTree.fromstring(text[3:])
    except ElementTree.ParseError as error:
        return problems + ["not well-formed XML: %s" % error]
    if root.tag != ASM_V1 + "assembly" or root.get("manifestVersion") != "1.0":
        problems.append("root %s manifestVersion %r" % (root.tag, root.get("manifestVersion")))
    identity = root.find(ASM_V1 + "assemblyIdentity")
    want = {"version": "1.0.0.0", "processorArchitecture": "*", "type": "win32"}
    if identity is None or any(identity.get(k) != v for k, v in want.items()) or not identity.get("name"):
        problems.append("assemblyIdentity %r" % (identity.attrib if identity is not None else None))
    level = root.find("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel" % ((ASM_V3,) * 4))
    if level is None or level.attrib != {"level": "highestAvailable"}:
        problems.append("requestedExecutionLevel %r" % (level.attrib if level is not None else None))
    controls = root.find("%sdependency/%sdependentAssembly/%sassemblyIdentity" % ((ASM_V1,) * 3))
    if controls is None or controls.attrib != COMMON_CONTROLS:
        problems.append("common-controls dependency %r" % (controls.attrib if controls is not None else None))
    return problems


def check_manifest(found, manifest_path, expected, report):
    data = find_resource(found, RT_MANIFEST, MANIFEST_ID)
    if not report.check(data is not None, "manifest %d present" % MANIFEST_ID):
        return
    report.check(data == expected, "manifest equals %s (%d bytes, file has %d)"
                 % (manifest_path, len(data), len(expected)))
    problems = manifest_problems(data)
    report.check(not problems, "manifest content as specified" + (": " + "; ".join(problems) if problems else ""))


# --- Main ---------------------------------------------------------------------------------

def check(path, data, manifest_path, manifest):
    report = Report()
    print("%s: %d bytes" % (path, len(data)))
    image = PeImage(data)
    check_headers(image, report)
    check_imports(image, report)
    found = resources(image)
    list_resources(found, report)
    icon_ids = check_icon(found, report)
    check_version(found, report)
    check_manifest(found, manifest_path, manifest, report)
    check_resource_set(found, icon_ids, report)
    return report.failures


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


def main(argv):
    default_manifest = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                    os.pardir, os.pardir, "res", "updater.manifest")
    parser = argparse.ArgumentParser(description="Check the release properties of Updater.exe.")
    parser.add_argument("exe")
    parser.add_argument("--manifest", default=os.path.normpath(default_manifest),
                        help="the manifest the exe must embed (default: res/updater.manifest)")
    args = parser.parse_args(argv[1:])
    try:
        data = read_file(args.exe)
        manifest = read_file(args.manifest)
    except OSError as error:
        print("ERROR %s" % error)
        return 2
    try:
        failures = check(args.exe, data, args.manifest, manifest)
    except (BadImage, struct.error, ValueError) as error:
        print("ERROR %s: cannot read as a PE image: %s" % (args.exe, error))
        return 2
    if failures:
        print("%s: %d check(s) failed:" % (args.exe, len(failures)))
        for failure in failures:
            print("  - " + failure)
        return 1
    print("%s: all checks passed" % args.exe)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
