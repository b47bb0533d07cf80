#!/bin/sh
# Checks the shipped program's PE headers: a 64-bit GUI program with ASLR and
# DEP, the three INI exports under their names and ordinals, only core system
# libraries in the import table (everything else is loaded from System32 by
# full path rules at run time), the manifest, the version resource carrying the
# project's version, and no link time in the header (so that a build can be
# reproduced bit for bit).
#   check_exe_headers.sh OBJDUMP EXE VERSION
objdump=$1
exe=$2
version=$3
headers=$(mktemp)
trap 'rm -f "$headers"' EXIT
"$objdump" -p "$exe" > "$headers" || exit 1
failures=0

expect() {  # expect DESCRIPTION EXTENDED-REGEX
  if grep -Eq "$2" "$headers"; then
    echo "ok: $1"
  else
    echo "FAILED: $1 (no line matching /$2/)"
    failures=$((failures + 1))
  fi
}

expect "64-bit PE" 'file format pei-x86-64'
expect "no link time in the header" '^Time/Date[[:space:]]+Thu Jan  1 00:00:00 1970$'
expect "GUI subsystem" '^Subsystem[[:space:]]+00000002'
characteristics=$(sed -nE 's/^DllCharacteristics[[:space:]]+([0-9a-fA-F]+).*/\1/p' "$headers")
if [ $((0x${characteristics:-0} & 0x140)) -eq $((0x140)) ]; then
  echo "ok: dynamic base and NX compatible ($characteristics)"
else
  echo "FAILED: DllCharacteristics $characteristics lacks DYNAMIC_BASE or NX_COMPAT"
  failures=$((failures + 1))
fi

# Name table index + ordinal base 1 = ordinal.
expect "DELETEINIDATA is ordinal 1" '^[[:space:]]+\[ +0\] DELETEINIDATA$'
expect "GETINIDATA is ordinal 2" '^[[:space:]]+\[ +1\] GETINIDATA$'
expect "WRITEINIDATA is ordinal 3" '^[[:space:]]+\[ +2\] WRITEINIDATA$'
expect "ordinal base 1" 'Ordinal Base 1$'

imports=$(sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' "$headers" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
if [ "$imports" = "advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll " ]; then
  echo "ok: imports only $imports"
else
  echo "FAILED: import table names $imports"
  failures=$((failures + 1))
fi

for text in 'level="asInvoker"' 'Microsoft.Windows.Common-Controls' '<dpiAware'; do
  if grep -aq "$text" "$exe"; then
    echo "ok: manifest holds $text"
  else
    echo "FAILED: manifest lacks $text"
    failures=$((failures + 1))
  fi
done
# The version resource's strings are UTF-16.
if LC_ALL=C grep -aqP 'V\x00e\x00y\x00r\x00a\x00C\x00o\x00n\x00f\x00i\x00g\x00\.\x00e\x00x\x00e' "$exe"; then
  echo "ok: version resource names VeyraConfig.exe"
else
  echo "FAILED: no version resource naming VeyraConfig.exe"
  failures=$((failures + 1))
fi

# FileVersion and ProductVersion, "MAJOR.MINOR.PATCH.0" in UTF-16.
utf16=$(printf '%s.0' "$version" | sed -E 's/\./\\./g; s/(\\?.)/\1\\x00/g')
if [ "$(LC_ALL=C grep -aoP "$utf16" "$exe" | wc -l)" -eq 2 ]; then
  echo "ok: version resource says $version.0 twice"
else
  echo "FAILED: the version resource does not say $version.0 as file and product version"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
