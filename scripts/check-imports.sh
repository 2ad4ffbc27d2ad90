#!/usr/bin/env bash
# Fails when a Windows program imports a DLL at load time that Windows does not always take
# from its system directory. Only the KnownDLLs are: for any other name (the compiler's
# runtime, but also comctl32 or version) the loader searches the program's own folder
# first, where a planted copy would win. Such DLLs are loaded at run time from system32.
# The list is the KnownDLLs common to Windows 7 to 11 (ntdll is always the system's).
set -euo pipefail
known_dlls=(advapi32 clbcatq comdlg32 gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ntdll ole32
            oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32)
known=" ${known_dlls[*]} "
status=0
for program in "$@"; do
    while read -r dll; do
        name=${dll,,}
        if [[ "$name" != *.dll || "$known" != *" ${name%.dll} "* ]]; then
            echo "$program imports $dll, which Windows does not always load from the system directory"
            status=1
        fi
    done < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
    echo "$program: imports checked"
done
exit $status
