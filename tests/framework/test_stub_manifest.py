"""The application manifest that Windows reads from the built stub when it starts it, read back
from the file's own resource section: administrator rights asked for up front, the version 6
common controls, the Windows versions the stub declares itself tested on, and its identity.

Usage: test_stub_manifest.py BrennixInstaller.exe
"""
import struct
import sys
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

RT_VERSION = 16
RT_MANIFEST = 24
PROCESS_MANIFEST_ID = 1  # the one Windows reads when it creates the process
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


class PeResources:
    """The resource tree of a 32-bit PE file, walked as the loader walks it."""

    def __init__(self, data: bytes):
        self.data = data
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", data, header + 6)
        optional = header + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x10B:
            raise ValueError("not a 32-bit PE file")
        self.root = struct.unpack_from("<I", data, optional + 96 + 2 * 8)[0]
        self.sections = [struct.unpack_from("<8xIII I", data, optional + optional_size + 40 * i)
                         for i in range(sections)]  # virtual size, address, raw size, raw offset

    def offset(self, rva: int) -> int:
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError(f"address {rva:#x} is in no section")

    def entries(self, directory: int) -> dict:
        """{id or name: (is a directory, offset in the tree)} of one directory of the tree."""
        at = self.offset(self.root + directory)
        named, numbered = struct.unpack_from("<12xHH", self.data, at)
        found = {}
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
            key = f"name@{name & 0x7FFFFFFF:#x}" if name & 0x80000000 else name
            found[key] = (bool(target & 0x80000000), target & 0x7FFFFFFF)
        return found

    def resources(self, rtype: int) -> dict:
        """{name: bytes of its first language} of every resource of the type."""
        types = self.entries(0)
        if rtype not in types:
            return {}
        result = {}
        for name, (_, names_at) in self.entries(types[rtype][1]).items():
            _, entry = next(iter(self.entries(names_at).values()))
            rva, size = struct.unpack_from("<II", self.data, self.offset(self.root + entry))
            result[name] = self.data[self.offset(rva):self.offset(rva) + size]
        return result


def fixed_file_version(block: bytes) -> str:
    """The file version of a version resource's fixed information, as "a.b.c.d"."""
    at = block.index(struct.pack("<I", 0xFEEF04BD))
    most, least = struct.unpack_from("<II", block, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


class StubManifest(unittest.TestCase):
    stub = None

    @classmethod
    def setUpClass(cls):
        resources = PeResources(Path(cls.stub).read_bytes())
        manifests = resources.resources(RT_MANIFEST)
        cls.file_version = next(map(fixed_file_version, resources.resources(RT_VERSION).values()), None)
        cls.names = list(manifests)
        cls.assembly = ElementTree.fromstring(manifests[PROCESS_MANIFEST_ID]) if PROCESS_MANIFEST_ID in manifests else None

    def test_one_manifest_the_process_manifest(self):
        self.assertEqual(self.names, [PROCESS_MANIFEST_ID])
        self.assertEqual(self.assembly.tag, ASM_V1 + "assembly")
        self.assertEqual(self.assembly.get("manifestVersion"), "1.0")

    def test_identity_names_the_executable(self):
        identity = self.assembly.find(ASM_V1 + "assemblyIdentity")
        self.assertEqual((identity.get("type"), identity.get("name"), identity.get("processorArchitecture")),
                         ("win32", "BrennixInstaller.exe", "x86"))
        self.assertEqual(identity.get("version"), self.file_version, "the identity's version is the file's")

    def test_administrator_rights_without_ui_access(self):
        levels = self.assembly.findall(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/"
                                       f"{ASM_V3}requestedExecutionLevel")
        self.assertEqual([(e.get("level"), e.get("uiAccess")) for e in levels], [("requireAdministrator", "false")])

    def test_version_6_common_controls_for_x86(self):
        dependencies = self.assembly.findall(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
        self.assertEqual([dict(d.attrib) for d in dependencies], [{
            "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
            "processorArchitecture": "x86", "publicKeyToken": "6595b64144ccf1df", "language": "*"}])

    def test_supported_windows_from_vista_to_10(self):
        entries = self.assembly.findall(f"{COMPATIBILITY}compatibility/{COMPATIBILITY}application/"
                                        f"{COMPATIBILITY}supportedOS")
        ids = [e.get("Id").lower() for e in entries]
        self.assertEqual(len(ids), len(set(ids)), "an entry is repeated")
        self.assertEqual(set(ids), SUPPORTED_OS)


if __name__ == "__main__":
    StubManifest.stub = sys.argv.pop(1)
    unittest.main()
