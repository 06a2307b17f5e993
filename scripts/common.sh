# Shared by the set-up scripts: privileges, packages, the build, and what is installed where.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${QUORVANE_BUILD:-$ROOT/build}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# The program is a desktop program: without a graphical session nothing of the set-up is of use.
need_graphical_session() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "Quorvane needs a graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set):" \
             "run $0 from a terminal of your desktop. Nothing was installed." >&2
        exit 1
    fi
}

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

# build [CMAKE_OPTION...]
build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$BUILD" -j"$(nproc)"
}

# Lists, one a line, the files that installing the build puts in place (absolute paths), after
# installing them below the folder $1. The one component's install writes a manifest of its own,
# so the system install's install_manifest.txt stays as it is.
stage_install() {
    DESTDIR="$1" cmake --install "$BUILD" --component Unspecified >/dev/null
    (cd "$1" && find . ! -type d | sed 's|^\.||')
}

# Installs the build into the system unless every file it would install is there already, byte
# for byte: a run that changed nothing asks for no root.
install_program() {
    local stage file changed=0
    stage=$(mktemp -d)
    while IFS= read -r file; do
        cmp -s "$stage$file" "$file" || { changed=1; break; }
    done < <(stage_install "$stage")
    rm -rf "$stage"
    if [ "$changed" -eq 1 ]; then as_root cmake --install "$BUILD"; fi
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

# The PDF printer: queues whose device is its backend, and the backend file in the scheduler's
# program folder (/usr/lib/cups unless cups-files.conf names another).
PDF_BACKEND=vendrellpdf
pdf_printer_queues() { lpstat -v 2>/dev/null | sed -n "s|^device for \(.*\): $PDF_BACKEND:.*|\1|p"; }
pdf_backend_file() {
    local bin
    bin=$(awk '$1 == "ServerBin" { print $2 }' /etc/cups/cups-files.conf 2>/dev/null | tail -1)
    echo "${bin:-/usr/lib/cups}/backend/$PDF_BACKEND"
}

# The backend is root's alone (mode 0700), so a user cannot read it back: what was installed is
# recorded as a fingerprint of the installer's folder and of the backend it installed, and compared
# with what would be installed now, together with the queue's existence and the installed file's size.
INSTALLED_BACKEND=/usr/local/libexec/quorvane/$PDF_BACKEND  # where the build installs it, install.sh takes it
PDF_PRINTER_RECORD=$BUILD/pdf-printer-installed
pdf_printer_fingerprint() {
    (cd "$ROOT/pdfwriter" && find . -type f -print0 | sort -z | xargs -0 cat; cat "$INSTALLED_BACKEND") \
        | sha256sum | cut -d' ' -f1
}
pdf_printer_current() {
    [ -n "$(pdf_printer_queues)" ] || return 1
    [ "$(stat -c %s "$(pdf_backend_file)" 2>/dev/null)" = "$(stat -c %s "$INSTALLED_BACKEND")" ] || return 1
    [ -f "$PDF_PRINTER_RECORD" ] && [ "$(cat "$PDF_PRINTER_RECORD")" = "$(pdf_printer_fingerprint)" ]
}

# Installs the PDF printer when it is missing or differs from the one built.
install_pdf_printer() {
    pdf_printer_current && return
    as_root "$ROOT/pdfwriter/install.sh"
    pdf_printer_fingerprint >"$PDF_PRINTER_RECORD"
}
