#!/usr/bin/env bash
# Turns a real SYSTEM hive (tests/data/realhives/*.xz) into a .reg file that Wine's
# regedit imports below HKEY_CURRENT_USER\Software\QuillexRealHive\NAME: Wine cannot
# load Windows' binary hive format, and its regedit reads a .reg file without a
# byte-order mark as ANSI, so the export is re-encoded as UTF-16LE with one. The hive
# file itself is left beside it as OUT-SYSTEM, for the Linux build to read the same one.
# Usage: realhive-export.sh HIVE.xz OUT.reg NAME
set -euo pipefail
xz=$1 out=$2 name=$3
command -v hivexregedit >/dev/null || { echo "hivexregedit is missing: run scripts/setup" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
xz -dc "$xz" > "$tmp/hive"
hivexregedit --export --prefix "HKEY_CURRENT_USER\\Software\\QuillexRealHive\\$name" "$tmp/hive" '\' > "$tmp/utf8.reg"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$tmp/utf8.reg"; } > "$tmp/out.reg"
mkdir -p "$(dirname "$out")"
cp "$tmp/hive" "${out%.reg}-SYSTEM"
mv "$tmp/out.reg" "$out"
