# Shared by the set-up scripts: privileges, packages, the build.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${QUORVANE_BUILD:-$ROOT/build}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
    local missing=()
    while read -r pkg; do
        [ -n "$pkg" ] || continue
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done < "$ROOT/scripts/packages.txt"
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$BUILD" -j"$(nproc)"
}

# The system's CUPS scheduler: systemd where it runs, else started directly (containers).
start_system_cups() {
    # lpstat -r exits 0 either way; only its text tells.
    scheduler_up() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
    if scheduler_up; then return; fi
    if [ -d /run/systemd/system ]; then
        as_root systemctl enable --now cups
    else
        as_root /usr/sbin/cupsd
    fi
    for _ in $(seq 50); do scheduler_up && return; sleep 0.1; done
    echo "CUPS did not start" >&2
    return 1
}
