#!/bin/sh
# Checks the built wavefx.dll from the outside: its export table names exactly
# the three entry points, undecorated (a stdcall or C++ export would carry
# @N or a mangled name), and it imports only DLLs that every Windows has, so
# nothing from the compiler's runtime must ship beside it. Its sine is its own:
# no maths function is imported, and no x87 sine (fsin, fcos, fprem, as in
# mingw's sin) is linked in. (mingw's DLL start-up code imports abort and
# allocates, so whether the plug-in's own code does is checked on the Linux
# module, built from the same sources with the same assertion rule.)
# Usage: check_dll.sh OBJDUMP DLL
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
. "$(dirname "$0")/forbidden_imports.sh"
check_no_maths "$(sed -n '/DLL Name:/,$p' "$dump" | awk '{print $NF}')"
x87_sine=$("$objdump" -d "$dll" | grep -cE '[[:space:]](fsin|fcos|fsincos|fprem1?)([[:space:]]|$)' || true)
if [ "$x87_sine" != 0 ]; then
  echo "x87 sine instructions linked in: $x87_sine"
  exit 1
fi
echo "exports: $exports; imports: $imports"
