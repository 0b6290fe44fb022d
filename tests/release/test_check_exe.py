#!/usr/bin/env python3
"""Tests of check_exe.py and of the icon generator, on a built Updater.exe.

Usage: test_check_exe.py UPDATER.EXE [unittest options]

The built exe must pass the checker. Then each test breaks one property in a copy of it (the
subsystem, an import, a resource's language or type, a version value, an icon image, the
manifest) and expects the checker to fail with exit code 1 and to name what broke; a file
that is not a PE image must give exit code 2. The icon tests run res/make_icon.py twice and
expect the same bytes, and the same image bytes as the exe embeds.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, os.pardir, os.pardir))
CHECKER = os.path.join(HERE, "check_exe.py")
MAKE_ICON = os.path.join(ROOT, "res", "make_icon.py")
MANIFEST = os.path.join(ROOT, "res", "updater.manifest")

sys.path.insert(0, HERE)
import check_exe  # noqa: E402

EXE = None  # set from the command line


def run_checker(path, manifest=MANIFEST):
    result = subprocess.run([sys.executable, CHECKER, path, "--manifest", manifest],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode, result.stdout


def read(path):
    with open(path, "rb") as f:
        return f.read()


def resource_directory_entries(image):
    """(level, id, file offset of the 8-byte entry) for every entry of the resource tree."""
    base, _ = image.directory(2)
    found = []

    def walk(directory, level):
        named, numbered = struct.unpack_from("<HH", image.read(base + directory + 12, 4))
        for i in range(named + numbered):
            entry = base + directory + 16 + 8 * i
            name, target = struct.unpack_from("<II", image.read(entry, 8))
            found.append((level, name, image.offset(entry)))
            if target & 0x80000000:
                walk(target & 0x7FFFFFFF, level + 1)

    walk(0, 0)
    return found


class CheckerOnBrokenCopies(unittest.TestCase):
    def setUp(self):
        self.original = read(EXE)
        self.image = check_exe.PeImage(self.original)
        self.found = check_exe.resources(self.image)
        self.folder = tempfile.mkdtemp(prefix="check_exe_test.")

    def tearDown(self):
        shutil.rmtree(self.folder)

    def resource_offset(self, rtype, name):
        """File offset of a resource's data, found by its bytes."""
        data = check_exe.find_resource(self.found, rtype, name)
        self.assertIsNotNone(data, "the built exe lacks resource %r/%r" % (rtype, name))
        offset = self.original.find(data)
        self.assertGreaterEqual(offset, 0)
        return offset

    def expect_failure(self, patches, *messages):
        """Apply (offset, bytes) patches to a copy; the checker must fail naming messages."""
        data = bytearray(self.original)
        for offset, replacement in patches:
            data[offset:offset + len(replacement)] = replacement
        path = os.path.join(self.folder, "Updater.exe")
        with open(path, "wb") as f:
            f.write(data)
        code, output = run_checker(path)
        self.assertEqual(code, 1, output)
        for message in messages:
            self.assertIn("FAIL  " + message, output)

    def test_built_exe_passes(self):
        code, output = run_checker(EXE)
        self.assertEqual(code, 0, output)
        self.assertIn("all checks passed", output)

    def test_console_subsystem(self):
        pe = struct.unpack_from("<I", self.original, 0x3C)[0]
        self.expect_failure([(pe + 24 + 68, struct.pack("<H", 3))], "subsystem: 3")

    def test_unknown_machine(self):
        pe = struct.unpack_from("<I", self.original, 0x3C)[0]
        self.expect_failure([(pe + 4, struct.pack("<H", 0x01C4))], "machine: unexpected")

    def test_runtime_dll_import(self):
        imports, _ = self.image.directory(1)
        name_rva = struct.unpack_from("<I", self.image.read(imports, 20), 12)[0]
        length = len(self.image.c_string(name_rva))
        self.assertGreaterEqual(length, 10)
        replacement = (b"libgcc" + b"x" * length)[:length - 4] + b".dll"
        self.expect_failure([(self.image.offset(name_rva), replacement)], "no MinGW runtime DLL imported",
                            "imports only from")

    def test_other_language(self):
        manifest_language = [offset for level, name, offset in resource_directory_entries(self.image)
                             if level == 2][-1]
        self.expect_failure([(manifest_language, struct.pack("<I", 0x0409))],
                            "every resource in language 0x0411")

    def test_other_resource_type(self):
        types = [offset for level, name, offset in resource_directory_entries(self.image)
                 if level == 0 and name == check_exe.RT_MANIFEST]
        self.expect_failure([(types[0], struct.pack("<I", 23))],
                            "no other resources", "manifest 1 present")

    def test_png_icon_image(self):
        offset = self.resource_offset(check_exe.RT_ICON, 1)
        self.expect_failure([(offset, b"\x89PNG\r\n\x1a\n")], "icon image 1 is an uncompressed")

    def test_compressed_icon_image(self):
        offset = self.resource_offset(check_exe.RT_ICON, 2)
        self.expect_failure([(offset + 16, struct.pack("<I", 3))], "icon image 2 is an uncompressed")

    def test_icon_group_depth(self):
        offset = self.resource_offset(check_exe.RT_GROUP_ICON, check_exe.ICON_GROUP_ID)
        last_entry = offset + 6 + 14 * 3
        self.expect_failure([(last_entry + 6, struct.pack("<H", 24))], "icon group holds exactly")

    def test_version_number(self):
        offset = self.resource_offset(check_exe.RT_VERSION, check_exe.VERSION_ID)
        fixed = self.original.find(struct.pack("<I", 0xFEEF04BD), offset)
        self.expect_failure([(fixed + 8, struct.pack("<I", 476))], "version FileVersion")

    def test_version_flags(self):
        offset = self.resource_offset(check_exe.RT_VERSION, check_exe.VERSION_ID)
        fixed = self.original.find(struct.pack("<I", 0xFEEF04BD), offset)
        self.expect_failure([(fixed + 28, struct.pack("<I", 1))], "version FileFlags:")

    def test_version_string(self):
        offset = self.resource_offset(check_exe.RT_VERSION, check_exe.VERSION_ID)
        text = self.original.find("Updater.exe".encode("utf-16-le"), offset)
        self.expect_failure([(text, "X".encode("utf-16-le"))], "version string OriginalFilename")

    def test_translation(self):
        offset = self.resource_offset(check_exe.RT_VERSION, check_exe.VERSION_ID)
        translation = self.original.find(struct.pack("<HH", 0x0411, 0x04B0), offset)
        self.expect_failure([(translation, struct.pack("<H", 0x0409))], "VarFileInfo Translation")

    def test_manifest_bytes(self):
        offset = self.resource_offset(check_exe.RT_MANIFEST, check_exe.MANIFEST_ID)
        level = self.original.find(b"highestAvailable", offset)
        self.expect_failure([(level, b"highestAvailablX")], "manifest equals",
                            "manifest content as specified")

    def test_manifest_file_differs(self):
        other = os.path.join(self.folder, "other.manifest")
        with open(other, "wb") as f:
            f.write(read(MANIFEST) + b"\n")
        code, output = run_checker(EXE, other)
        self.assertEqual(code, 1, output)
        self.assertIn("FAIL  manifest equals", output)

    def test_not_a_pe_file(self):
        path = os.path.join(self.folder, "Updater.exe")
        with open(path, "wb") as f:
            f.write(self.original[:0x200])
        code, output = run_checker(path)
        self.assertEqual(code, 2, output)
        self.assertIn("cannot read as a PE image", output)


class ManifestRules(unittest.TestCase):
    def test_project_manifest_is_as_specified(self):
        self.assertEqual(check_exe.manifest_problems(read(MANIFEST)), [])

    def test_ui_access_attribute_is_refused(self):
        text = read(MANIFEST).replace(b'level="highestAvailable"',
                                      b'level="highestAvailable" uiAccess="false"')
        self.assertEqual(len(check_exe.manifest_problems(text)), 1)

    def test_missing_bom_is_refused(self):
        self.assertIn("no UTF-8 byte-order mark", check_exe.manifest_problems(read(MANIFEST)[3:]))


class IconGenerator(unittest.TestCase):
    def make_icon(self, folder, name):
        path = os.path.join(folder, name)
        subprocess.run([sys.executable, MAKE_ICON, path], check=True)
        return read(path)

    def test_same_bytes_every_run_and_as_embedded(self):
        folder = tempfile.mkdtemp(prefix="make_icon_test.")
        try:
            first = self.make_icon(folder, "a.ico")
            second = self.make_icon(folder, "b.ico")
        finally:
            shutil.rmtree(folder)
        self.assertEqual(first, second)
        found = check_exe.resources(check_exe.PeImage(read(EXE)))
        reserved, kind, count = struct.unpack_from("<HHH", first)
        self.assertEqual((reserved, kind, count), (0, 1, 4))
        for i in range(count):
            size, offset = struct.unpack_from("<II", first, 6 + 16 * i + 8)
            self.assertEqual(check_exe.find_resource(found, check_exe.RT_ICON, i + 1),
                             first[offset:offset + size], "image %d" % (i + 1))


if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.stderr.write("usage: test_check_exe.py UPDATER.EXE [unittest options]\n")
        sys.exit(2)
    EXE = sys.argv.pop(1)
    unittest.main()
