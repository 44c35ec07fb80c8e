#!/bin/sh
# Runs a Windows program of the cross build under Wine (Debian's wine64),
# quietly, in the prefix named by WINEPREFIX (make test-windows gives each
# build directory its own).
WINEDEBUG=${WINEDEBUG:--all}
export WINEDEBUG
for wine in /usr/lib/wine/wine64 /usr/bin/wine64 /usr/bin/wine; do
    if [ -x "$wine" ]; then
        exec "$wine" "$@"
    fi
done
echo "wine-run.sh: no wine64 found (apt-get install wine64)" >&2
exit 127
