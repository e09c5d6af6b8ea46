"""The demo: a silent run of the stub under Wine with a log; prints the log and the exit code.

The stub checks its own signature first, so the demo runs a copy signed with a test certificate
whose CA the demo's Wine prefix trusts.
"""
from harness import Wine, run_stub, read_log, signed_stub

wine = Wine("win32")
folder = wine.scratch("demo")
log = folder / "demo.log"
run = run_stub(signed_stub(), args=["log", wine.win_path(log), "/IAgreeToTheEULA"], wine=wine)
print(f"Command line: {run.command_line}")
print("---- log ----")
print(read_log(log) if log.exists() else "(no log file was written)")
print("-------------")
print(f"Exit code: 0x{run.exit_code:08X} ({run.signed_exit_code})")
