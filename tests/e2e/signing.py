"""Real Authenticode signing for the tests: certificates made with openssl at test time (no key is
ever committed), files signed with osslsigncode, and the test CA put into a Wine prefix's Root store.

Wine's trust provider skips the chain check for certificates signed with SHA-256 (every such
signature verifies), so the test CA signs its certificates with SHA-1: then Wine reports untrusted,
expired and good chains as Windows does.

Wine decodes the ASCII form of the opus-info program name (the one osslsigncode writes) wrongly;
`set_unicode_program_name` rewrites that attribute in the Unicode form and signs the signer's
attributes again, the way a signing tool that writes the Unicode form would have produced them.
"""
import hashlib
import struct
import subprocess
import tempfile
from contextlib import contextmanager
from pathlib import Path

ROOT_STORE_KEY = r"HKLM\Software\Microsoft\SystemCertificates\Root\Certificates"
OPUS_INFO_OID = bytes.fromhex("060a2b0601040182370201 0c".replace(" ", ""))
DIGEST_NAMES = {
    bytes.fromhex("06052b0e03021a"): "sha1",
    bytes.fromhex("0609608648016503040201"): "sha256",
}

SIGNER_EXTENSIONS = """\
basicConstraints = CA:FALSE
keyUsage = digitalSignature
extendedKeyUsage = codeSigning
"""

CA_CONFIG = """\
[ ca ]
default_ca = test_ca
[ test_ca ]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha1
policy = any
unique_subject = no
[ any ]
commonName = supplied
[ signer ]
""" + SIGNER_EXTENSIONS


def _run(args, cwd):
    result = subprocess.run([str(a) for a in args], cwd=cwd, capture_output=True, timeout=60)
    if result.returncode != 0:
        raise RuntimeError(f"{args[0]} failed: {result.stderr.decode(errors='replace')[-800:]}")
    return result


class TestCertificates:
    """A test CA and code-signing certificates it issued, in a temporary folder of their own."""

    def __init__(self, ca_name="Brennix Test CA"):
        self._folder = tempfile.TemporaryDirectory(prefix="brennix-certs-")
        self.folder = Path(self._folder.name)
        (self.folder / "index.txt").write_text("")
        (self.folder / "serial").write_text("1000\n")
        (self.folder / "ca.cnf").write_text(CA_CONFIG)
        self.ca_key = self.folder / "ca.key"
        self.ca_cert = self.folder / "ca.crt"
        _run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha1", "-days", "30",
              "-keyout", self.ca_key, "-out", self.ca_cert, "-subj", f"/CN={ca_name}"], self.folder)

    def close(self):
        self._folder.cleanup()

    def issue(self, name, common_name, start=None, end=None):
        """A signer certificate and key (paths); valid for 30 days, or from start to end
        (YYYYMMDDHHMMSSZ) when given."""
        key, csr, cert = (self.folder / f"{name}.{ext}" for ext in ("key", "csr", "crt"))
        _run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", csr,
              "-subj", f"/CN={common_name}"], self.folder)
        dates = ["-startdate", start, "-enddate", end] if start else ["-days", "30"]
        _run(["openssl", "ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", self.ca_cert,
              "-keyfile", self.ca_key, "-extensions", "signer", "-in", csr, "-out", cert, *dates],
             self.folder)
        return Signer(cert, key, self.ca_cert)

    def ca_thumbprint(self) -> str:
        der = _run(["openssl", "x509", "-in", self.ca_cert, "-outform", "DER"], self.folder).stdout
        return hashlib.sha1(der).hexdigest().upper()

    def ca_der(self) -> bytes:
        return _run(["openssl", "x509", "-in", self.ca_cert, "-outform", "DER"], self.folder).stdout


class Signer:
    def __init__(self, cert, key, ca_cert):
        self.cert, self.key, self.ca_cert = Path(cert), Path(key), Path(ca_cert)

    def sign(self, source, target, program_name=None, more_info=None):
        """Signs source into target with osslsigncode (SHA-256 file digest, certificate chain
        included). program_name goes into the opus-info attribute in its ASCII form."""
        args = ["osslsigncode", "sign", "-certs", self.cert, "-key", self.key, "-ac", self.ca_cert]
        if program_name is not None:
            args += ["-n", program_name]
        if more_info is not None:
            args += ["-i", more_info]
        Path(target).unlink(missing_ok=True)
        _run(args + ["-in", source, "-out", target], Path(target).parent)

    def set_unicode_program_name(self, path, program_name):
        """Rewrites the signed file's opus-info program name in the Unicode form and signs the
        attributes again with this signer's key. The file must already carry an opus-info
        attribute with a program name (sign with any program_name first)."""
        image = bytearray(Path(path).read_bytes())
        table_offset, table_size, security_entry = _certificate_table(image)
        signature = _rewrite_signature(bytes(image[table_offset + 8:table_offset + table_size]),
                                       program_name, self.key)
        entry = struct.pack("<IHH", 0, 0x0200, 0x0002) + signature
        entry += b"\0" * (-len(entry) % 8)
        entry = struct.pack("<I", len(entry)) + entry[4:]
        image[table_offset:] = entry
        struct.pack_into("<II", image, security_entry, table_offset, len(entry))
        _set_checksum(image)
        Path(path).write_bytes(bytes(image))


def verify_with_osslsigncode(path, ca_cert) -> subprocess.CompletedProcess:
    """osslsigncode's own verification of path against the test CA."""
    return subprocess.run(["osslsigncode", "verify", "-CAfile", str(ca_cert), "-in", str(path)],
                          capture_output=True, timeout=60)


def add_trusted_root(wine, der: bytes) -> str:
    """Puts a CA certificate (DER bytes) into the prefix's machine Root store; returns its key.

    A certificate there is a registry key named by its SHA-1 thumbprint whose Blob value holds
    the certificate as a serialized store element: property 32 (the encoded certificate), a
    reserved 1, the length, then the DER bytes."""
    blob = struct.pack("<III", 32, 1, len(der)) + der
    key = ROOT_STORE_KEY + "\\" + hashlib.sha1(der).hexdigest().upper()
    wine.reg_add(key, "Blob", blob.hex(), kind="REG_BINARY")
    return key


@contextmanager
def trusted_root(wine, certificates: TestCertificates):
    """The test CA in the prefix's machine Root store for the span of the block."""
    key = add_trusted_root(wine, certificates.ca_der())
    try:
        yield
    finally:
        wine.reg_delete(key)


# --- PE and DER plumbing for the Unicode rewrite ---------------------------------------------

def _pe_offsets(image):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    return optional + 64, directories + 4 * 8


def _certificate_table(image):
    _, security_entry = _pe_offsets(image)
    offset, size = struct.unpack_from("<II", image, security_entry)
    if size == 0 or offset + size != len(image):
        raise ValueError("not a signed file with its certificate table at the end")
    return offset, size, security_entry


def _set_checksum(image):
    checksum_offset, _ = _pe_offsets(image)
    struct.pack_into("<I", image, checksum_offset, 0)
    padded = bytes(image) + (b"\0" if len(image) % 2 else b"")
    total = 0
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    struct.pack_into("<I", image, checksum_offset, ((total & 0xFFFF) + (total >> 16) + len(image)) & 0xFFFFFFFF)


def _read(data, position=0):
    """One DER element at position: (tag, content, end)."""
    tag = data[position]
    length = data[position + 1]
    start = position + 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[start:start + count], "big")
        start += count
    return tag, data[start:start + length], start + length


def _children(content):
    items, position = [], 0
    while position < len(content):
        tag, inner, end = _read(content, position)
        items.append((tag, inner, content[position:end]))
        position = end
    return items


def _encode(tag, content):
    length = len(content)
    if length < 0x80:
        header = bytes([tag, length])
    else:
        raw = length.to_bytes((length.bit_length() + 7) // 8, "big")
        header = bytes([tag, 0x80 | len(raw)]) + raw
    return header + content


def _unicode_opus_info(opus_info_content, program_name):
    parts = []
    for tag, _, raw in _children(opus_info_content):
        if tag == 0xA0:  # programName [0] EXPLICIT SpcString: the unicode choice [0] IMPLICIT BMPString
            raw = _encode(0xA0, _encode(0x80, program_name.encode("utf-16-be")))
        parts.append(raw)
    return _encode(0x30, b"".join(parts))


def _rewrite_signature(pkcs7, program_name, key):
    _, content_info, _ = _read(pkcs7)
    oid, explicit = _children(content_info)[:2]
    signed_data = _children(explicit[1])[0]
    signed_parts = _children(signed_data[1])
    signer_infos = signed_parts[-1]
    signer_info = _children(signer_infos[1])[0]
    fields = _children(signer_info[1])

    attributes_index = next(i for i, f in enumerate(fields) if f[0] == 0xA0)
    attributes = []
    for _, attribute, raw in _children(fields[attributes_index][1]):
        attribute_oid, values = _children(attribute)[:2]
        if attribute_oid[2] == OPUS_INFO_OID:
            opus_info = _children(values[1])[0]
            raw = _encode(0x30, attribute_oid[2] + _encode(0x31, _unicode_opus_info(opus_info[1], program_name)))
        attributes.append(raw)
    attributes.sort()  # DER order of a SET OF: what is signed is the sorted encoding
    attributes_der = b"".join(attributes)

    digest_name = DIGEST_NAMES[_children(fields[2][1])[0][2]]
    with tempfile.TemporaryDirectory() as work:
        data = Path(work) / "attributes.der"
        data.write_bytes(_encode(0x31, attributes_der))
        signature = _run(["openssl", "dgst", f"-{digest_name}", "-sign", key, data], work).stdout

    new_fields = []
    for i, (tag, _, raw) in enumerate(fields):
        if i == attributes_index:
            raw = _encode(0xA0, attributes_der)
        elif tag == 0x04:  # encryptedDigest
            raw = _encode(0x04, signature)
        new_fields.append(raw)
    new_signer_info = _encode(0x30, b"".join(new_fields))
    other_signers = [raw for _, _, raw in _children(signer_infos[1])[1:]]
    new_signed_data = _encode(0x30, b"".join(raw for _, _, raw in signed_parts[:-1]) +
                              _encode(0x31, new_signer_info + b"".join(other_signers)))
    return _encode(0x30, oid[2] + _encode(0xA0, new_signed_data))

