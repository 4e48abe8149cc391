# Sourced by the other scripts: where things are built, which Wine roads run
# on this machine, and the print queue the tests use.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$here/build}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
export BUILD_DIR

# The product is the 32-bit program; the same sources are also built for
# x86_64, which is what runs on machines whose kernel refuses 32-bit code.
BRAVIK_ARCHES=(x86_64 i686)

arch_dir() { echo "$BUILD_DIR/$1"; }

# Compiled objects are shared through ccache between rebuilds and between
# checkouts of the same sources at other paths: configure with
# "${BRAVIK_LAUNCHER[@]}" after calling this.
use_ccache() {
    BRAVIK_LAUNCHER=()
    if command -v ccache >/dev/null; then
        export CCACHE_BASEDIR=$here CCACHE_NOHASHDIR=1
        BRAVIK_LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
}

# setup records the roads that really start a program here, one a line.
roads_file() { echo "$BUILD_DIR/wine-roads"; }

road_runs() {
    grep -qx "$1" "$(roads_file)" 2>/dev/null
}

# The program to start: the 32-bit one where it runs, else the 64-bit one.
preferred_arch() {
    if road_runs i686; then echo i686; else echo x86_64; fi
}

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
else
    sudo=
fi

# The print queue "PDF" on CUPS with the PDF backend. The scheduler is
# started when it is not running; cups_down stops only what cups_up started.
cups_started_here=0
cups_up() {
    command -v cupsd >/dev/null || return 0
    if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
        $sudo setsid cupsd -f </dev/null >/dev/null 2>&1 &
        echo $! > "$BUILD_DIR/cupsd.pid"
        cups_started_here=1
        for _ in $(seq 1 100); do
            lpstat -r 2>/dev/null | grep -q 'is running' && break
            sleep 0.1
        done
    fi
    if ! lpstat -p PDF >/dev/null 2>&1; then
        $sudo lpadmin -p PDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd || true
        $sudo lpadmin -d PDF >/dev/null 2>&1 || true
    fi
    # Where the PDF backend puts the jobs of this user; print tests read
    # their pages back from there.
    local home
    home=$(getent passwd "$(id -un)" | cut -d: -f6)
    export BRAVIK_PDF_DIR=${home:-$HOME}/PDF
}

cups_down() {
    if [ "$cups_started_here" = 1 ] && [ -f "$BUILD_DIR/cupsd.pid" ]; then
        $sudo kill "$(cat "$BUILD_DIR/cupsd.pid")" 2>/dev/null || true
        rm -f "$BUILD_DIR/cupsd.pid"
    fi
}

# Ends what wine-run left running for this build folder: the Wine servers of
# both prefixes and the Xvfb.
wine_down() {
    # The program's own tests start from a fresh prefix of their own.
    for a in "${BRAVIK_ARCHES[@]}"; do
        for p in "$(arch_dir "$a")/wineprefix" "$(arch_dir "$a")/tests/app-wineprefix"; do
            if [ -d "$p" ]; then
                WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true
            fi
        done
    done
    if [ -f "$BUILD_DIR/xvfb.display" ]; then
        kill "$(cut -d' ' -f2 "$BUILD_DIR/xvfb.display")" 2>/dev/null || true
        rm -f "$BUILD_DIR/xvfb.display"
    fi
}

# The program opens its log and its help pages with the programs their types
# have: text files with Wine's notepad, pages with Wine's browser, which hands
# them to the machine's own (the one scripts/setup --viewers installs, where
# no other is). Done once for the prefix in WINEPREFIX.
prepare_viewers() {
    local arch=$1
    local ready=$WINEPREFIX/bravik-viewers.ready
    [ -f "$ready" ] && return 0
    local regfile
    regfile=$(mktemp --suffix=.reg)
    cat >"$regfile" <<'REG'
REGEDIT4

[HKEY_CLASSES_ROOT\.txt]
@="txtfile"
"Content Type"="text/plain"

[HKEY_CLASSES_ROOT\.log]
@="txtfile"
"Content Type"="text/plain"

[HKEY_CLASSES_ROOT\txtfile\shell\open\command]
@="\"C:\\windows\\system32\\notepad.exe\" \"%1\""

[HKEY_CLASSES_ROOT\.html]
@="htmlfile"
"Content Type"="text/html"

[HKEY_CLASSES_ROOT\.htm]
@="htmlfile"
"Content Type"="text/html"

[HKEY_CLASSES_ROOT\htmlfile\shell\open\command]
@="\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""
REG
    # Wine's drive Z: is the Unix root.
    if BRAVIK_WINE_ARCH=$arch "$here/scripts/wine-run" regedit.exe /S "Z:${regfile//\//\\}" </dev/null >/dev/null 2>&1; then
        touch "$ready"
    else
        echo "run: could not register the viewers of the log and the help pages" >&2
    fi
    rm -f "$regfile"
}

# This tree's benchmark sources, copied into an older revision's tree, reach
# the application object and the main window as that revision has them: an
# older revision kept them in public fields.
adapt_bench_sources() {
    local tree=$1 files header
    files=$(ls "$tree"/bench/*.cpp "$tree"/bench/*.h 2>/dev/null) || return 0
    # The test helpers the benchmarks share, as this tree has them.
    # shellcheck disable=SC2086
    for header in $(sed -n 's|^#include "\(tests/support/[^"]*\)"|\1|p' $files | sort -u); do
        mkdir -p "$tree/${header%/*}"
        cp "$here/$header" "$tree/$header"
    done
    if ! grep -q 'Document()' "$tree/appsvc/OXRApp.h"; then
        # shellcheck disable=SC2086
        sed -i -e 's/app\.Document()/app.m_document/g' -e 's/app\.Locale()/app.m_locale/g' \
            -e 's/app\.Log()/app.m_log/g' \
            -e 's/app\.SetMainWindow(\(.*\));/app.m_mainWindow = \1;/' \
            -e 's/app\.SetDataFolder(\(.*\));/app.m_dataFolder = \1;/' \
            -e 's/app\.SetProgramFolder(\(.*\));/app.m_programFolder = \1;/' $files
    fi
    if grep -q 'ICPanel\* m_resultsPage' "$tree/app/OXRWindow.h"; then
        # shellcheck disable=SC2086
        sed -i 's/window\.m_resultsPage\.get()/window.m_resultsPage/' $files
    fi
}
