#!/usr/bin/env bash
# Whether this machine can run the 32-bit Windows programs under test.
#   machine-check.sh    exits 0 when it can; 77 (ctest's skip code here) with the reason on
#                       standard output when the kernel runs no 32-bit user code at all
# Wine's 32-bit loader is an i386 ELF program: a kernel without 32-bit emulation refuses to
# start it with ENOEXEC, and no Windows program of the tests can run. Any other failure of the
# loader is a broken installation, which the tests must report, not skip.
loader=/usr/lib/wine/wine
if [ -x "$loader" ]; then
  output=$("$loader" --version 2>&1 </dev/null)
  status=$?
  if [ "$status" -eq 126 ] && [[ "$output" == *"Exec format error"* ]]; then
    echo "SKIP: this machine's kernel runs no 32-bit programs (Wine's i386 loader: Exec format error);" \
         "the Windows programs under test cannot run here"
    exit 77
  fi
fi
exit 0
