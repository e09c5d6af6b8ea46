#!/usr/bin/env bash
# Which Windows programs this machine can run for the tests.
#   machine-check.sh    prints "32" and exits 0 when the 32-bit programs run (the usual case);
#                       prints "64 REASON" and exits 0 when only 64-bit ones do: the tests then run
#                       the 64-bit twin of the Windows build in 64-bit prefixes;
#                       exits 77 (ctest's skip code here) with the reason on standard output when
#                       no Windows program can run
# Wine's 32-bit loader is an i386 ELF program: a kernel without 32-bit emulation refuses to
# start it with ENOEXEC. Any other failure of a loader is a broken installation, which the tests
# must report, not skip.
loader32=/usr/lib/wine/wine
loader64=/usr/lib/wine/wine64

refused_by_kernel() {
  local output status
  output=$("$1" --version 2>&1 </dev/null)
  status=$?
  [ "$status" -eq 126 ] && [[ "$output" == *"Exec format error"* ]]
}

if [ -x "$loader32" ] && refused_by_kernel "$loader32"; then
  reason="this machine's kernel runs no 32-bit programs (Wine's i386 loader: Exec format error)"
  if [ -x "$loader64" ] && ! refused_by_kernel "$loader64"; then
    echo "64 $reason; the tests run the 64-bit twin of the Windows build"
    exit 0
  fi
  echo "SKIP: $reason, nor 64-bit ones; the Windows programs under test cannot run here"
  exit 77
fi
echo 32
exit 0
