#!/bin/sh
# Checks the built wavefx.dll from the outside: its export table names exactly
# the three entry points, undecorated (a stdcall or C++ export would carry
# @N or a mangled name), and it imports only DLLs that every Windows has, so
# nothing from the compiler's runtime must ship beside it.
set -eu
objdump=$1
dll=$2
dump=$(mktemp)
trap 'rm -f "$dump"' EXIT
"$objdump" -p "$dll" >"$dump"

# Rows of the export name table look like "	[   0] +base[   1] 0000 kroend".
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' "$dump" |
  sed -n 's/^[[:space:]]*\[ *[0-9]*\].* \([^ ]*\)$/\1/p' | LC_ALL=C sort | tr '\n' ' ')
if [ "$exports" != "kroend krolibrary kromain " ]; then
  echo "unexpected exports: '$exports'"
  exit 1
fi

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' "$dump" | LC_ALL=C sort -u | tr '\n' ' ')
if [ -z "$imports" ]; then
  echo "no import table found"
  exit 1
fi
for dll_name in $imports; do
  case $(echo "$dll_name" | tr '[:upper:]' '[:lower:]') in
    kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ntdll.dll | api-ms-win-crt-*.dll) ;;
    *)
      echo "unexpected import: $dll_name"
      exit 1
      ;;
  esac
done
echo "exports: $exports; imports: $imports"
