"""Setup files for the signature and tag tests: packed from the built stub with the test payload
as their program, and what the tests read back from their logs."""
import struct
import subprocess
from pathlib import Path

from harness import native_tool, stub_exe, win_program

APPLICATION_NAME = "Brennix Signature Test"
PACK_TIMEOUT = 120


def pack_setup(out: Path, payload_folder: Path) -> Path:
    """A setup file whose program is the test payload, named by a string of its own so that its
    dialogs can be found by their caption."""
    program = payload_folder / "Setup.exe"
    payload_folder.mkdir(parents=True, exist_ok=True)
    program.write_bytes(win_program("payload").read_bytes())
    result = subprocess.run([str(native_tool("brennix-pack")), "--stub", str(stub_exe()), "--out", str(out),
                             "--payload", str(payload_folder), "--set", f"1={APPLICATION_NAME}"],
                            capture_output=True, timeout=PACK_TIMEOUT)
    if result.returncode != 0:
        raise AssertionError(f"brennix-pack failed: {result.stderr.decode(errors='replace')}")
    return out


def _sections(image: bytes) -> list:
    """(name, virtual address, raw size, raw offset) of each section of a PE image."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count = struct.unpack_from("<H", image, pe + 6)[0]
    optional_size = struct.unpack_from("<H", image, pe + 20)[0]
    result = []
    for header in (pe + 24 + optional_size + 40 * i for i in range(count)):
        address, raw_size, raw_offset = struct.unpack_from("<III", image, header + 12)
        result.append((bytes(image[header:header + 8]).rstrip(b"\0"), address, raw_size, raw_offset))
    return result


def change_one_code_byte(source: Path, target: Path):
    """Copies source with one byte in the middle of its first section's raw data changed."""
    image = bytearray(source.read_bytes())
    _, _, raw_size, raw_offset = _sections(image)[0]
    image[raw_offset + raw_size // 2] ^= 0x01
    target.write_bytes(bytes(image))


def change_one_payload_byte(source: Path, target: Path, resource_id: int = 102):
    """Copies source with one byte in the middle of the payload resource TOOLKIT resource_id
    changed, as found through the resource directory."""
    image = bytearray(source.read_bytes())
    _, address, _, raw_offset = next(s for s in _sections(image) if s[0] == b".rsrc")

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, raw_offset + directory + 12)
        for i in range(named + numbered):
            name, child = struct.unpack_from("<II", image, raw_offset + directory + 16 + 8 * i)
            yield name, child

    def name_text(name):
        length = struct.unpack_from("<H", image, raw_offset + (name & 0x7FFFFFFF))[0]
        start = raw_offset + (name & 0x7FFFFFFF) + 2
        return bytes(image[start:start + 2 * length]).decode("utf-16-le")

    types = next(child for name, child in entries(0) if name & 0x80000000 and name_text(name) == "TOOLKIT")
    languages = next(child for name, child in entries(types & 0x7FFFFFFF) if name == resource_id)
    data_entry = next(child for _, child in entries(languages & 0x7FFFFFFF))
    data_address, size = struct.unpack_from("<II", image, raw_offset + data_entry)
    image[raw_offset + data_address - address + size // 2] ^= 0x01
    target.write_bytes(bytes(image))


def serial_of(certificate: Path) -> str:
    """The serial number as openssl prints it: hexadecimal, most significant byte first."""
    text = subprocess.run(["openssl", "x509", "-in", str(certificate), "-noout", "-serial"],
                          capture_output=True, text=True, check=True).stdout
    return text.strip().split("=", 1)[1].upper()


def assert_in_order(test, text: str, pieces: list):
    """Each piece occurs in text after the one before it."""
    position = 0
    for piece in pieces:
        found = text.find(piece, position)
        test.assertNotEqual(found, -1, f"{piece!r} missing after offset {position}:\n{text}")
        position = found + len(piece)
