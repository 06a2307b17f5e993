#!/usr/bin/env bash
# A CUPS scheduler of the tests' own: its own configuration, socket, spool, cache, logs and state
# under DIR; the system's /etc/cups and its scheduler are never touched. Runs as root (the
# scheduler drops to "lp" for backends and filters).
#
#   private-cupsd.sh start DIR           start it, add queues "Alpha" and "Beta" and a test user,
#                                        and a second "attacker" user, print the shell lines to eval
#                                        (CUPS_SERVER, CUPS_SERVERROOT, QUORVANE_ATTACKER_USER/_HOME,
#                                        QUORVANE_TEST_USER, QUORVANE_TEST_HOME)
#   private-cupsd.sh stop DIR            stop it and remove the test users
#   private-cupsd.sh add-queue DIR NAME [DESCRIPTION [PPD]]
#                                        a queue whose jobs are kept as DIR/jobs/NAME/<NNN>-<title>;
#                                        raw, or with the printer description PPD
#   private-cupsd.sh install-pdfwriter DIR [BACKEND]
#                                        install the "Vendrell PDF Writer" printer (BACKEND: the built
#                                        backend, default $QUORVANE_BUILD/pdfwriter/vendrellpdf)
#   private-cupsd.sh job-text FILE       the text of a kept job (PDF, PostScript or plain text)
#
# QUORVANE_CUPSD_LOG_LEVEL: the scheduler's LogLevel (default debug, for the tests' diagnostics).
set -euo pipefail
HERE=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
ROOT=$(cd "$HERE/../../.." && pwd)

die() { echo "private-cupsd: $*" >&2; exit 1; }
need_dir() { [ -n "${1:-}" ] || die "missing DIR"; DIR=$(readlink -f "$1"); }
client_env() { export CUPS_SERVER="$DIR/cups.sock" CUPS_SERVERROOT="$DIR/etc"; }

# The test users' names are unique to DIR, so harnesses in different folders never share one.
test_user() { echo "qvtest$(printf '%s' "$DIR" | md5sum | cut -c1-8)"; }
# A second account, for tests where one local user attacks another.
attacker_user() { echo "qvatk$(printf '%s' "$DIR" | md5sum | cut -c1-8)"; }

write_config() {
    mkdir -p "$DIR"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log,jobs,lib/backend,home}
    # Everything of the system's server programs except the backends, which are ours alone.
    local sub
    for sub in filter daemon cgi-bin monitor notifier driver; do
        [ -e /usr/lib/cups/$sub ] && ln -sfn /usr/lib/cups/$sub "$DIR/lib/$sub"
    done
    cc -O2 -Wall -o "$DIR/lib/backend/keepjob" "$HERE/keepjob.c" || die "cannot build the keepjob backend (is a C compiler installed?)"
    # A printer whose every job fails (its backend reports a jam), and one that takes a minute a job.
    printf '#!/bin/sh\n[ $# -eq 0 ] && exit 0\necho "ERROR: paper jam" >&2\nexit 1\n' >"$DIR/lib/backend/failjob"
    printf '#!/bin/sh\n[ $# -eq 0 ] && exit 0\nsleep 60\n' >"$DIR/lib/backend/slowjob"
    chmod 0755 "$DIR/lib/backend/failjob" "$DIR/lib/backend/slowjob"
    cat >"$DIR/etc/cups-files.conf" <<CONF
User lp
Group lp
SystemGroup root
ServerRoot $DIR/etc
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ServerBin $DIR/lib
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
FileDevice No
Printcap $DIR/etc/printcap
SetEnv KEEPJOB_DIR $DIR/jobs
CONF
    cat >"$DIR/etc/cupsd.conf" <<CONF
Listen $DIR/cups.sock
${QUORVANE_CUPSD_PORT:+Listen 127.0.0.1:$QUORVANE_CUPSD_PORT}
LogLevel ${QUORVANE_CUPSD_LOG_LEVEL:-debug}
MaxLogSize 0
ErrorPolicy abort-job
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType Basic
PreserveJobHistory Yes
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class CUPS-Delete-Class CUPS-Set-Default CUPS-Get-Devices Pause-Printer Resume-Printer Enable-Printer Disable-Printer Cancel-Jobs CUPS-Accept-Jobs CUPS-Reject-Jobs>
    AuthType Default
    Require user @SYSTEM
    Order deny,allow
  </Limit>
  <Limit Send-Document Send-URI Hold-Job Release-Job Restart-Job Purge-Jobs Set-Job-Attributes Cancel-Job Cancel-My-Jobs Close-Job CUPS-Move-Job CUPS-Get-Document>
    Require user @OWNER @SYSTEM
    Order deny,allow
  </Limit>
  <Limit Create-Job Print-Job Print-URI Validate-Job>
    Order deny,allow
  </Limit>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    # Jobs whose owner is the authenticated user (peer credentials on the socket), as for the PDF printer.
    cat "$ROOT/pdfwriter/authenticated-policy.conf" >>"$DIR/etc/cupsd.conf"
    # Reachable by unprivileged users (the socket) and by the backends running as lp (the jobs).
    chmod 0755 "$DIR"
    chown lp:lp "$DIR/jobs"
}

wait_until_answering() {
    local i
    for i in $(seq 100); do
        # lpstat -r exits with 0 either way; only its text tells.
        [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] && return 0
        kill -0 "$(cat "$DIR/cupsd.pid")" 2>/dev/null || break
        sleep 0.1
    done
    cat "$DIR/log/error_log" >&2 2>/dev/null || true
    die "the scheduler in $DIR does not answer"
}

add_queue() {
    local name=$1 description=${2:-} ppd=${3:-}
    local out
    # CUPS 2.4 warns that raw queues and PPDs are deprecated; both still work.
    if [ -n "$ppd" ]; then set -- -P "$ppd"; else set -- -m raw; fi
    out=$(lpadmin -p "$name" -E -v keepjob:/ "$@" ${description:+-D "$description"} 2>&1) \
        || die "cannot add queue $name: $out"
    mkdir -p "$DIR/jobs/$name" && chown lp:lp "$DIR/jobs/$name"
}

add_user() {
    local user=$1
    if ! getent passwd "$user" >/dev/null; then
        useradd --system --no-create-home --home-dir "$DIR/home/$user" --shell /usr/sbin/nologin \
            --user-group "$user" || die "cannot create the test user $user"
    fi
    mkdir -p "$DIR/home/$user"
    chown "$user:$user" "$DIR/home/$user"
}

add_test_users() {
    add_user "$(test_user)"
    add_user "$(attacker_user)"
    test_user >"$DIR/test-user"
    attacker_user >"$DIR/attacker-user"
}

start() {
    need_dir "${1:-}"
    [ -x /usr/sbin/cupsd ] || die "cupsd is not installed"
    [ "$(id -u)" -eq 0 ] || die "must run as root"
    if [ -f "$DIR/cupsd.pid" ] && kill -0 "$(cat "$DIR/cupsd.pid")" 2>/dev/null; then
        die "already running in $DIR"
    fi
    write_config
    client_env
    /usr/sbin/cupsd -t -c "$DIR/etc/cupsd.conf" -s "$DIR/etc/cups-files.conf" >"$DIR/log/config-check" 2>&1 \
        || { cat "$DIR/log/config-check" >&2; die "configuration rejected"; }
    # In the foreground of its own session, so stop can end exactly this process.
    setsid /usr/sbin/cupsd -f -c "$DIR/etc/cupsd.conf" -s "$DIR/etc/cups-files.conf" \
        </dev/null >>"$DIR/log/cupsd.out" 2>&1 &
    echo $! >"$DIR/cupsd.pid"
    wait_until_answering
    add_queue Alpha
    add_queue Beta
    add_test_users
    echo "export CUPS_SERVER=$DIR/cups.sock"
    echo "export CUPS_SERVERROOT=$DIR/etc"
    echo "export QUORVANE_TEST_USER=$(cat "$DIR/test-user")"
    echo "export QUORVANE_TEST_HOME=$DIR/home/$(cat "$DIR/test-user")"
    echo "export QUORVANE_ATTACKER_USER=$(cat "$DIR/attacker-user")"
    echo "export QUORVANE_ATTACKER_HOME=$DIR/home/$(cat "$DIR/attacker-user")"
}

stop() {
    need_dir "${1:-}"
    if [ -f "$DIR/cupsd.pid" ]; then
        local pid i
        pid=$(cat "$DIR/cupsd.pid")
        if kill -0 "$pid" 2>/dev/null; then
            kill -TERM "$pid"
            for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
            kill -0 "$pid" 2>/dev/null && kill -KILL "$pid"
        fi
        rm -f "$DIR/cupsd.pid"
    fi
    local account
    for account in test-user attacker-user; do
        if [ -f "$DIR/$account" ]; then
            userdel "$(cat "$DIR/$account")" 2>/dev/null || true
            rm -f "$DIR/$account"
        fi
    done
}

install_pdfwriter() {
    need_dir "${1:-}"
    client_env
    local backend=${2:-${QUORVANE_BUILD:-$ROOT/build}/pdfwriter/vendrellpdf}
    "$ROOT/pdfwriter/install.sh" --server-root "$DIR/etc" --backend "$backend"
}

job_text() {
    local file=${1:-}
    [ -f "$file" ] || die "no such job file: $file"
    case "$(head -c 4 "$file")" in
        %PDF) pdftotext -layout "$file" - ;;
        %!*)
            local tmp
            tmp=$(mktemp --suffix=.pdf)
            ps2pdf "$file" "$tmp" && pdftotext -layout "$tmp" -
            rm -f "$tmp" ;;
        *) cat "$file" ;;
    esac
}

command=${1:-}
shift || true
case "$command" in
    start) start "$@" ;;
    stop) stop "$@" ;;
    add-queue) need_dir "${1:-}"; client_env; [ -n "${2:-}" ] || die "missing queue name"; add_queue "$2" "${3:-}" "${4:-}" ;;
    install-pdfwriter) install_pdfwriter "$@" ;;
    job-text) job_text "$@" ;;
    *) die "usage: $0 start|stop|add-queue|install-pdfwriter|job-text ..." ;;
esac
