"""The stub checks its own signature under Wine: setup files signed at test time with osslsigncode
by certificates made with openssl, the test CA trusted through the prefix's Root store, and the
verdict, the signer's details and the program name read from what the stub logs and from the
command line the test payload receives.

Wine's own verdicts are used as they come: unsigned 0x800B0100, an altered file a digest
failure, an untrusted root 0x800B0109, an expired certificate 0x800B0101. Verdicts Wine never
gives are covered through the trust-call seam (signature_seam_test.cpp)."""
import re
import shutil
import unittest
from pathlib import Path

from harness import Wine, WineTestCase, needs_32_bit_programs, read_log, read_payload_report, run_stub, win_program
from signature_setups import assert_in_order, change_one_code_byte, pack_setup, serial_of
from signing import TestCertificates, trusted_root

PROGRAM_NAME = "Brennix Prüfprogramm 2026"  # outside ASCII, and the log's code page can hold it
MORE_INFO = "https://example.test/more-info"


class SignedSetups(WineTestCase):
    @classmethod
    def setUpClass(cls):
        shared = Wine("win32").scratch("SignedSetups.shared")
        cls.certificates = TestCertificates("Brennix Test CA")
        cls.addClassCleanup(cls.certificates.close)
        cls.other_ca = TestCertificates("Brennix Untrusted CA")
        cls.addClassCleanup(cls.other_ca.close)
        publisher = cls.certificates.issue("publisher", "Brennix Test Publisher")
        expired = cls.certificates.issue("expired", "Brennix Expired Publisher", "20200101000000Z", "20200201000000Z")
        stranger = cls.other_ca.issue("stranger", "Brennix Stranger")
        cls.publisher_serial = serial_of(publisher.cert)

        cls.unsigned = pack_setup(shared / "unsigned.exe", shared / "payload")
        cls.named = shared / "named.exe"
        publisher.sign(cls.unsigned, cls.named, program_name="to be replaced", more_info=MORE_INFO)
        publisher.set_unicode_program_name(cls.named, PROGRAM_NAME)
        cls.link_only = shared / "link-only.exe"
        publisher.sign(cls.unsigned, cls.link_only, more_info=MORE_INFO)
        cls.no_opus_info = shared / "no-opus-info.exe"
        publisher.sign(cls.unsigned, cls.no_opus_info)
        cls.altered = shared / "altered.exe"
        change_one_code_byte(cls.named, cls.altered)
        cls.expired = shared / "expired.exe"
        expired.sign(cls.unsigned, cls.expired, program_name="x")
        cls.untrusted = shared / "untrusted.exe"
        stranger.sign(cls.unsigned, cls.untrusted, program_name="x")
        cls.enterClassContext(trusted_root(Wine("win32"), cls.certificates))

    def run_setup(self, setup: Path, *switches, silent=True):
        """Runs the setup with a log; returns (run, log text, payload report or None)."""
        log = self.scratch / "setup.log"
        report = self.scratch / "report.txt"
        args = ["log", self.win(log), "temp", self.win(self.scratch / "tmp"), *switches]
        if silent:
            args.append("/IAgreeToTheEULA")
        (self.scratch / "tmp").mkdir(exist_ok=True)
        run = run_stub(setup, args=args, env={"BRENNIX_PAYLOAD_REPORT": self.win(report)}, wine=self.wine)
        return run, read_log(log), read_payload_report(report) if report.exists() else None

    def verification_line(self, text: str, setup: Path) -> str:
        """The verification text the stub logged (its own newline before the closing quote)."""
        match = re.search(r"^Digital verification: '(.*?\n)'$", text, re.M | re.S)
        self.assertIsNotNone(match, text)
        return match.group(1)

    # --- unsigned ---------------------------------------------------------------------------

    def test_unsigned_silent_run_fails_before_extracting(self):
        run, text, report = self.run_setup(self.unsigned)
        path = self.win(self.unsigned)
        self.assertEqual(self.verification_line(text, self.unsigned),
                         f'The file "{path}" is not signed. Error 0x800b0100\n')
        assert_in_order(self, text, ["Certificate error 800b0100\n", "Not signed correctly so failing now!\n"])
        self.assertNotIn("GetAuthenticodeInformation", text)
        self.assertNotIn("Run Embedded Resources", text)
        self.assertIsNone(report)
        self.assertEqual(run.exit_code, 0x800B0100)

    def test_unsigned_silent_extract_only_goes_on(self):
        run, text, report = self.run_setup(self.unsigned, "/dontrun")
        assert_in_order(self, text, [
            "Certificate error 800b0100\n", "Not running so extract anyway\n",
            "GetAuthenticodeInformation \n", "GetAuthenticodeInformation Fininshed\n",
            "Digital verification: Failed\n", "Run Embedded Resources \n"])
        self.assertIsNone(report, "nothing is launched in an extract-only run")
        self.assertEqual(run.exit_code, 0)

    # --- signed and trusted -----------------------------------------------------------------

    def test_signed_with_program_name_verifies_and_hands_the_name_on(self):
        run, text, report = self.run_setup(self.named)
        path = self.win(self.named)
        self.assertEqual(self.verification_line(text, self.named),
                         f'The file "{path}" is signed and the signature was verified.\n')
        self.assertNotIn("Certificate error", text)
        assert_in_order(self, text, [
            "GetAuthenticodeInformation \n",
            "GetProgAndPublisherInfo pPublisheInfo = null\n",
            "GetProgAndPublisherInfo switch MoreInfo 1\n",
            "GetAuthenticodeInformation Fininshed\n",
            "Digital verification: SubjectName 'Brennix Test Publisher'\n",
            f"Digital verification: ProgramName '{PROGRAM_NAME}'\n",
            f"Digital verification: MoreInfo    '{MORE_INFO}'\n",
            f"Digital verification: SerialNumber '{self.publisher_serial}'\n",
            "Digital verification: IssuerName 'Brennix Test CA'\n",
        ])
        self.assertIsNotNone(report, "the payload was not started")
        self.assertIn(f'CV_I="{PROGRAM_NAME}"', report.command_line)
        self.assertEqual(run.exit_code, 0)

    def test_signed_with_only_a_link_keeps_the_default_name(self):
        run, text, report = self.run_setup(self.link_only)
        assert_in_order(self, text, [
            "is signed and the signature was verified.\n'\n",
            "GetProgAndPublisherInfo failed pwszProgramName\n",
            "GetProgAndPublisherInfo pPublisheInfo = null\n",
            "GetProgAndPublisherInfo switch MoreInfo 1\n",
            "Digital verification: ProgramName 'null'\n",
            f"Digital verification: MoreInfo    '{MORE_INFO}'\n",
        ])
        self.assertIsNotNone(report, "the payload was not started")
        self.assertIn('CV_I="Corvane Installer"', report.command_line)
        self.assertEqual(run.exit_code, 0)

    def test_signed_without_opus_info_logs_null_and_keeps_the_default_name(self):
        run, text, report = self.run_setup(self.no_opus_info)
        assert_in_order(self, text, [
            "is signed and the signature was verified.\n'\n",
            "GetAuthenticodeInformation \n", "GetAuthenticodeInformation Fininshed\n",
            "Digital verification: SubjectName 'Brennix Test Publisher'\n",
            "Digital verification: ProgramName 'null'\n",
            "Digital verification: MoreInfo    'null'\n",
        ])
        self.assertNotIn("GetProgAndPublisherInfo", text)
        self.assertIsNotNone(report, "the payload was not started")
        self.assertIn('CV_I="Corvane Installer"', report.command_line)

    # --- signed but failing -----------------------------------------------------------------

    def assert_silent_failure(self, setup: Path, expected_status=None):
        """A silent run of a failing signature: the status in the log's verification text and
        certificate-error line agree, the run stops with 0x800B0100. Returns the status."""
        run, text, report = self.run_setup(setup)
        status = int(re.search(r"^Certificate error ([0-9a-f]+)$", text, re.M).group(1), 16)
        if expected_status is not None:
            self.assertEqual(status, expected_status)
        self.assertNotIn(status, (0, 0x800B0100, 0x800B010A))
        self.assertEqual(self.verification_line(text, setup), f"Error is: 0x{status:x}.\n")
        self.assertIn("Not signed correctly so failing now!\n", text)
        self.assertIsNone(report)
        self.assertEqual(run.exit_code, 0x800B0100)
        return text

    def test_one_changed_code_byte_fails_the_check(self):
        self.assert_silent_failure(self.altered)

    # The altered byte is the middle of the code section, which this test takes to be code the run
    # does not reach. In the 64-bit twin it turns a "xor eax, eax" on the extraction's path into
    # another instruction, and the altered program no longer behaves as the stub does.
    @needs_32_bit_programs("the changed code byte must lie in code the run does not execute")
    def test_altered_file_extract_only_still_extracts(self):
        run, text, report = self.run_setup(self.altered, "/dontrun")
        assert_in_order(self, text, ["Certificate error ", "Not running so extract anyway\n",
                                    "GetAuthenticodeInformation \n", "Run Embedded Resources \n"])
        self.assertEqual(run.exit_code, 0)

    def test_expired_certificate_fails_the_check(self):
        self.assert_silent_failure(self.expired, 0x800B0101)

    def test_untrusted_root_fails_the_check(self):
        self.assert_silent_failure(self.untrusted, 0x800B0109)



class PlantedTrustLibrary(WineTestCase):
    """A wintrust.dll that trusts everything, planted beside an unsigned setup file, is not what
    the stub asks. Wine loads its own trust library whatever lies beside a program, unless told
    to prefer native copies; the test tells it so, and a control program that links the library
    by plain import shows that the plant is then picked up from that folder."""

    def setUp(self):
        super().setUp()
        planted = win_program("payload").parent / "planted"
        for name in ("wintrust.dll", "plain_import_probe.exe"):
            shutil.copy(planted / name, self.scratch / name)
        self.setup = pack_setup(self.scratch / "setup.exe", self.scratch / "payload")
        self.wine.env["WINEDLLOVERRIDES"] += ";wintrust=n,b"

    def test_the_plant_is_not_loaded(self):
        control = self.wine.run(self.scratch / "plain_import_probe.exe", timeout=60)
        self.assertEqual(control.stdout.decode().strip(), "0x00000000", "the plant is not effective here")
        log = self.scratch / "setup.log"
        run = run_stub(self.setup, args=["log", self.win(log), "/IAgreeToTheEULA"], wine=self.wine)
        self.assertIn(f'The file "{self.win(self.setup)}" is not signed. Error 0x800b0100', read_log(log))
        self.assertEqual(run.exit_code, 0x800B0100)


if __name__ == "__main__":
    unittest.main()
