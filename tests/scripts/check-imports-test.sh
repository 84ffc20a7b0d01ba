#!/usr/bin/env bash
# The import check must fail a program held to an older Windows than it needs:
#   check-imports-test.sh PROGRAM.exe OBJDUMP
# PROGRAM is the test build's quillex.exe, whose posix runtime imports Vista's
# GetTickCount64 and XP's AddVectoredExceptionHandler and whose header asks for 5.2.
# Held to Windows 2000, the check must name all three and fail.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
exe=$1 objdump=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'processor=x86_64\nwinnt=0x0500\nthreads=posix\nobjdump=%s\n' "$objdump" >"$dir/target.txt"
printf '%s\n' "$exe" >"$dir/programs.txt"
out=$("$top/scripts/check-imports" "$dir") && rc=0 || rc=$?
printf '%s\n' "$out"
failed=0
expect() {
  if ! grep -qF -- "$1" <<<"$out"; then echo "missing from the report: $1"; failed=1; fi
}
[ "$rc" = 1 ] || { echo "check-imports exited $rc, not 1"; failed=1; }
expect "FAIL quillex.exe"
expect "TOO NEW KERNEL32.dll GetTickCount64 (Windows Vista)"
expect "TOO NEW KERNEL32.dll AddVectoredExceptionHandler (Windows XP)"
expect "TOO NEW subsystem version 5.2"
exit $failed
