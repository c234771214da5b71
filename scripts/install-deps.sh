#!/bin/sh
# Installs the Debian packages that building, testing and running the system need.
# Only missing packages are installed; the package lists are refreshed first when needed.
# python3 runs the protocol conformance client (tests/conformance); python3-xlwt only
# regenerates the committed .xls test workbook (tests/data/make_import.py). postgresql gives
# the tests their throw-away servers (tests/support/pgcluster.h) and the `postgres` user they
# run as under root; libpq-dev is the client library the server links.
set -eu

PACKAGES="
    g++ make cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev libxkbcommon-dev
    libsqlite3-dev libicu-dev libxlsxwriter-dev libzip-dev libfreexl-dev libqrencode-dev
    libssl-dev
    postgresql libpq-dev
    poppler-utils python3 python3-xlwt
    libgtest-dev libbenchmark-dev
    clang libclang-rt-dev
    fonts-noto-cjk fonts-arphic-uming xvfb xauth
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "install-deps: missing packages:$missing; run this script as root to install them" >&2
    exit 1
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
# Without systemd (containers, chroots) the packages' scripts start their daemons directly, among
# them PostgreSQL's default cluster on port 5432, and a daemon that does not start fails the
# installation. Nothing here needs a daemon running, so starting one is refused while this
# script installs, the way Debian's container images do it; an existing policy is left alone.
POLICY=/usr/sbin/policy-rc.d
if [ ! -d /run/systemd/system ] && [ ! -e "$POLICY" ]; then
    $SUDO sh -c "printf '#!/bin/sh\\nexit 101\\n' >'$POLICY' && chmod 755 '$POLICY'"
    trap '$SUDO rm -f "$POLICY"' EXIT
    trap 'exit 1' INT TERM HUP
fi
# A fresh machine may have no package lists at all; refresh them unless they are recent.
if [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*Packages*' -mtime -1 2>/dev/null | head -n 1)" ]; then
    $SUDO apt-get update -q
fi
# shellcheck disable=SC2086
if ! $SUDO apt-get install -y -q --no-install-recommends $missing; then
    $SUDO apt-get update -q
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $missing
fi
