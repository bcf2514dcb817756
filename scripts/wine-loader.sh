#!/bin/sh
# Wine's loader with the address space laid out the same at every start. Debian's Wine
# has no preloader to reserve what Windows programs need before the loader's own heap
# is placed; with the kernel's randomisation that heap lands anywhere in the gigabyte
# above the loader, and about one start in several thousand finds it on the page the
# system's shared data must take (0x7ffe0000): the process ends with code 1 before the
# program's entry, and its parent's CreateProcessW fails with ERROR_INTERNAL_ERROR.
# Without randomisation the heap starts right after the loader, well below that page.
# Every process Wine starts from this one inherits the setting.
# Usage: wine-loader.sh <program.exe> [args]   (WINELOADER: the loader, from wine-env.sh)
exec setarch "$(uname -m)" -R "${WINELOADER:?the Wine loader}" "$@"
