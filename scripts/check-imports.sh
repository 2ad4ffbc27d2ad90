#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows itself does not ship, such as
# the compiler's runtime: each program must be one self-contained file.
set -euo pipefail
status=0
for program in "$@"; do
    while read -r dll; do
        case "${dll,,}" in
            kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|comctl32.dll|msvcrt.dll|ole32.dll|comdlg32.dll) ;;
            *) echo "$program imports $dll, which is not a system DLL"; status=1 ;;
        esac
    done < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
    echo "$program: imports checked"
done
exit $status
