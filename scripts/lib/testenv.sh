# Shared by scripts/test, scripts/with-test-env and scripts/demo: installing what is missing, and bringing up
# and stopping the test environment (Xvfb, a Wine prefix, the ja_JP locale, Dovecot as the POP3 peer).
# Everything started here is a child of the calling shell and is stopped by PID in qv_stop_all.

QV_ROOT=${QV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
QV_BUILD_ROOT=${QV_BUILD_ROOT:-$QV_ROOT/build}
QV_PIDS=()
QV_GROUPS=()

qv_log() { printf '== %s\n' "$*" >&2; }

# Debian packages the builds and tests need; installed only when something is missing.
qv_install_deps() {
    local need=()
    local pkg
    for pkg in cmake ninja-build g++ ccache python3 googletest libgtest-dev g++-mingw-w64-i686-posix \
        binutils-mingw-w64-i686 mingw-w64-tools wine wine32:i386 xvfb xdotool imagemagick x11-apps \
        fonts-ipafont-gothic dovecot-pop3d locales clang libclang-rt-14-dev libssl-dev openssl \
        nlohmann-json3-dev libcurl4-openssl-dev "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
    done
    [ ${#need[@]} -eq 0 ] && return 0
    qv_log "installing: ${need[*]}"
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages (${need[*]}); run as root to install them" >&2
        return 1
    fi
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    export DEBIAN_FRONTEND=noninteractive
    # Another installation may hold the package lock (an unattended upgrade, a parallel run): wait for it.
    local apt=(apt-get -o DPkg::Lock::Timeout=600)
    "${apt[@]}" update -qq || return 1
    # The packaged Dovecot must not start as a system service: the tests run their own instances. A policy that
    # refuses every service start keeps it down while the packages install (one the machine has stays untouched).
    local policy=/usr/sbin/policy-rc.d ours=0
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' >"$policy" && chmod 755 "$policy" && ours=1
    fi
    local status=0
    "${apt[@]}" install -y -qq --no-install-recommends "${need[@]}" >/dev/null || status=$?
    [ $ours = 1 ] && rm -f "$policy"
    [ $status = 0 ] || { echo "installing the packages failed" >&2; return 1; }
}

qv_free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

qv_start_xvfb() {
    # Xvfb picks a free display itself and writes its number, so parallel runs never share one.
    local numfile
    numfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
    QV_PIDS+=($!)
    local i
    for i in $(seq 200); do
        if [ -s "$numfile" ]; then
            export DISPLAY=:$(tr -d '[:space:]' <"$numfile")
            rm -f "$numfile"
            return 0
        fi
        sleep 0.05
    done
    rm -f "$numfile"
    echo "Xvfb did not start" >&2
    return 1
}

# Wine needs a glibc ja_JP.UTF-8 locale for code page 932; without it every Japanese text would be wrong, so a
# locale that cannot be built stops the run. (localedef may report harmless warnings with a non-zero status: the
# built locale's LC_CTYPE file is what counts.)
qv_locale() {
    local dir=$QV_BUILD_ROOT/locale
    if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$dir"
        localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8" >"$dir/localedef.log" 2>&1 || true
    fi
    if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
        echo "the ja_JP.UTF-8 locale could not be built (package locales installed?); localedef said:" >&2
        cat "$dir/localedef.log" >&2 || true
        return 1
    fi
    { export LOCPATH=$dir LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
}

qv_start_wine() {
    qv_locale || return 1
    export WINEPREFIX=$QV_BUILD_ROOT/wineprefix WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        qv_log "creating the Wine prefix"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    if [ ! -f "$WINEPREFIX/.quorvane-settings-2" ]; then
        # A crash prints a backtrace instead of waiting in a dialog. There is no window manager: Wine draws frames
        # itself and does not wait for one when a window goes away (otherwise every destroyed window costs 2 s).
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        # The dialogs ask for the classic Japanese UI font; the IPA Gothic fonts stand in for it.
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /t REG_SZ /d 'IPAGothic' /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.quorvane-settings-2"
    fi
    # A persistent server and Wine's system processes, started before any test and detached from every pipe.
    setsid wineserver -p </dev/null >/dev/null 2>&1
    setsid wine cmd /c exit </dev/null >/dev/null 2>&1
}

qv_stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

# Dovecot on 127.0.0.1 at a free port, one passwd-file user with a plain password (so APOP works), and a
# maildir filled with the generated samples. Exports QV_POP3_* for the tests. A second user with a maildir of its
# own (empty at first) stands for a second mailbox: QV_POP3_USER2, QV_POP3_PASS2, QV_MAILDIR2.
qv_start_dovecot() {
    local dir
    dir=$(mktemp -d /tmp/quorvane-dovecot.XXXXXX)
    chmod 755 "$dir"
    local port
    port=$(qv_free_port)
    local uid=5000
    export QV_POP3_HOST=127.0.0.1 QV_POP3_PORT=$port QV_POP3_USER=tester QV_POP3_PASS=neko-pass
    export QV_DOVECOT_DIR=$dir QV_MAILDIR=$dir/home/Maildir QV_SAMPLES_DIR=$dir/samples
    export QV_POP3_USER2=tester2 QV_POP3_PASS2=tora-pass QV_MAILDIR2=$dir/home2/Maildir
    python3 "$QV_ROOT/tests/support/pop3_peer/make_samples.py" "$QV_SAMPLES_DIR"
    mkdir -p "$QV_MAILDIR"/{new,cur,tmp} "$dir/base" "$dir/state"
    local f i=0
    for f in "$QV_SAMPLES_DIR"/*.eml; do
        cp "$f" "$QV_MAILDIR/new/$((1400000000 + i)).M1P1.sample"
        i=$((i + 1))
    done
    mkdir -p "$QV_MAILDIR2"/{new,cur,tmp}
    # Tests (running as root, natively and under Wine) add and remove messages directly.
    chmod -R a+rwX "$QV_MAILDIR" "$QV_MAILDIR2"
    chown -R $uid:$uid "$dir/home" "$dir/home2"
    chmod 700 "$dir/home" "$dir/home2"
    echo "$QV_POP3_USER:{PLAIN}$QV_POP3_PASS:$uid:$uid::$dir/home::" >"$dir/passwd"
    echo "$QV_POP3_USER2:{PLAIN}$QV_POP3_PASS2:$uid:$uid::$dir/home2::" >>"$dir/passwd"
    qv_start_oauth || return 1
    cat >"$dir/dovecot.conf" <<CONF
base_dir = $dir/base
state_dir = $dir/state
instance_name = quorvane-$port
log_path = $dir/dovecot.log
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain login apop cram-md5 scram-sha-256 xoauth2 oauthbearer
auth_failure_delay = 0
first_valid_uid = 1000
mail_privileged_group =
mail_location = maildir:~/Maildir
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $port
  }
  inet_listener pop3s {
    port = 0
  }
}
passdb {
  driver = oauth2
  mechanisms = xoauth2 oauthbearer
  args = $dir/oauth2.conf.ext
}
passdb {
  driver = passwd-file
  args = scheme=PLAIN $dir/passwd
}
userdb {
  driver = passwd-file
  args = $dir/passwd
}
CONF
    # Its own process group, so that stopping it stops its helper processes too; still a child of this shell.
    setsid dovecot -F -c "$dir/dovecot.conf" &
    QV_DOVECOT_PID=$!
    QV_PIDS+=($QV_DOVECOT_PID)
    QV_GROUPS+=($QV_DOVECOT_PID)
    qv_wait_port 127.0.0.1 "$port" || { echo "Dovecot did not start; its log:" >&2; cat "$dir/dovecot.log" >&2; return 1; }
    qv_start_tls
}

# The fake authorization server (tests/support/oauth/oauth_server.py) over HTTPS, and what Dovecot needs to ask it
# whether an access token is good. Exports:
#   QV_OAUTH_URL            https://127.0.0.1:<port> with the test CA's certificate
#   QV_OAUTH_UNTRUSTED_URL  the same server with a self-signed certificate
#   QV_OAUTH_BROWSER_URL    the same server over plain HTTP, for a test playing the browser (GET /authorize)
qv_start_oauth() {
    local pki=$QV_BUILD_ROOT/pki ports=$QV_DOVECOT_DIR/oauth-ports
    bash "$QV_ROOT/tests/support/tls/make_pki.sh" "$pki" || return 1
    python3 "$QV_ROOT/tests/support/oauth/oauth_server.py" "$pki/good.pem" "$pki/good.key" \
        "$pki/selfsigned.pem" "$pki/selfsigned.key" "$QV_POP3_USER" "$ports" &
    QV_PIDS+=($!)
    local i
    for i in $(seq 200); do
        [ -s "$ports" ] && break
        sleep 0.05
    done
    export QV_OAUTH_URL="https://127.0.0.1:$(awk '$1 == "trusted" {print $2}' "$ports")"
    export QV_OAUTH_UNTRUSTED_URL="https://127.0.0.1:$(awk '$1 == "untrusted" {print $2}' "$ports")"
    export QV_OAUTH_BROWSER_URL="http://127.0.0.1:$(awk '$1 == "browser" {print $2}' "$ports")"
    [ -s "$ports" ] || { echo "the fake authorization server did not start" >&2; return 1; }
    cat >"$QV_DOVECOT_DIR/oauth2.conf.ext" <<CONF
introspection_mode = post
introspection_url = $QV_OAUTH_URL/introspect
force_introspection = yes
username_attribute = username
active_attribute = active
active_value = true
tls_ca_cert_file = $pki/ca.pem
CONF
}

qv_wait_port() {
    local i
    for i in $(seq 200); do
        (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

# The TLS side of the test peers: a test CA and server certificates (made once per build tree), a second Dovecot
# over the same mailbox that offers STLS and POP3S with a different certificate per local address, the scripted
# TLS peer for what Dovecot will not do, and the test CA trusted in the Wine prefix (machine Root store) and, for
# OpenSSL, by file. Exports:
#   QV_TLS_CA_FILE, SSL_CERT_FILE   the test CA (SSL_CERT_FILE makes native OpenSSL trust it alone)
#   QV_POP3_STLS_PORT, QV_POP3S_PORT  Dovecot's STLS and implicit-TLS ports, on each of these hosts:
#   QV_TLS_HOST_GOOD=127.0.0.1 (valid certificate, also on ::1), QV_TLS_HOST_OTHERNAME=127.0.0.2 (made out for
#   another name), QV_TLS_HOST_EXPIRED=127.0.0.3, QV_TLS_HOST_SELFSIGNED=127.0.0.4
#   QV_TLS_FPR_<GOOD|OTHERNAME|EXPIRED|SELFSIGNED>  each certificate's SHA-256 fingerprint (lower-case hex)
#   QV_TLS_PEER_<SCENARIO>          ports of the scripted TLS peer (see tests/support/tls/tls_peer.py)
qv_start_tls() {
    local pki=$QV_BUILD_ROOT/pki dir=$QV_DOVECOT_DIR/tls
    bash "$QV_ROOT/tests/support/tls/make_pki.sh" "$pki" || return 1
    export QV_TLS_CA_FILE=$pki/ca.pem SSL_CERT_FILE=$pki/ca.pem
    export QV_TLS_HOST_GOOD=127.0.0.1 QV_TLS_HOST_OTHERNAME=127.0.0.2 QV_TLS_HOST_EXPIRED=127.0.0.3
    export QV_TLS_HOST_SELFSIGNED=127.0.0.4
    local name
    for name in good othername expired selfsigned; do
        export "QV_TLS_FPR_${name^^}=$(openssl x509 -in "$pki/$name.pem" -noout -fingerprint -sha256 |
            sed 's/.*=//; s/://g' | tr 'A-F' 'a-f')"
    done
    export QV_POP3_STLS_PORT=$(qv_free_port) QV_POP3S_PORT=$(qv_free_port)
    mkdir -p "$dir/base" "$dir/state"
    sed -e "s|^base_dir = .*|base_dir = $dir/base|; s|^state_dir = .*|state_dir = $dir/state|" \
        -e "s|^instance_name = .*|instance_name = quorvane-tls-$QV_POP3_STLS_PORT|" \
        -e "s|^log_path = .*|log_path = $dir/dovecot.log|" \
        -e "s|^listen = .*|listen = 127.0.0.1, 127.0.0.2, 127.0.0.3, 127.0.0.4, ::1|" \
        -e "/^ssl = no/d; /^service pop3-login/,\$d" "$QV_DOVECOT_DIR/dovecot.conf" >"$dir/dovecot.conf"
    cat >>"$dir/dovecot.conf" <<CONF
ssl = yes
ssl_min_protocol = TLSv1.2
ssl_cert = <$pki/good.pem
ssl_key = <$pki/good.key
local 127.0.0.2 {
  ssl_cert = <$pki/othername.pem
  ssl_key = <$pki/othername.key
}
local 127.0.0.3 {
  ssl_cert = <$pki/expired.pem
  ssl_key = <$pki/expired.key
}
local 127.0.0.4 {
  ssl_cert = <$pki/selfsigned.pem
  ssl_key = <$pki/selfsigned.key
}
service pop3-login {
  inet_listener pop3 {
    port = $QV_POP3_STLS_PORT
  }
  inet_listener pop3s {
    port = $QV_POP3S_PORT
    ssl = yes
  }
}
passdb {
  driver = oauth2
  mechanisms = xoauth2 oauthbearer
  args = $QV_DOVECOT_DIR/oauth2.conf.ext
}
passdb {
  driver = passwd-file
  args = scheme=PLAIN $QV_DOVECOT_DIR/passwd
}
userdb {
  driver = passwd-file
  args = $QV_DOVECOT_DIR/passwd
}
CONF
    setsid dovecot -F -c "$dir/dovecot.conf" &
    QV_PIDS+=($!)
    QV_GROUPS+=($!)
    qv_wait_port 127.0.0.4 "$QV_POP3S_PORT" || { echo "TLS Dovecot did not start; its log:" >&2; cat "$dir/dovecot.log" >&2; return 1; }

    python3 "$QV_ROOT/tests/support/tls/tls_peer.py" "$pki/good.pem" "$pki/good.key" "$dir/peer-ports" &
    QV_PIDS+=($!)
    local i scenario port
    for i in $(seq 200); do
        [ -s "$dir/peer-ports" ] && break
        sleep 0.05
    done
    while read -r scenario port; do
        export "QV_TLS_PEER_${scenario^^}=$port"
    done <"$dir/peer-ports"
    [ -n "${QV_TLS_PEER_PLAIN:-}" ] || { echo "the scripted TLS peer did not start" >&2; return 1; }

    if [ -n "${WINEPREFIX:-}" ]; then
        # Importing again is harmless, and the key then surely exists even if an earlier run never saved it.
        python3 "$QV_ROOT/tests/support/tls/wine_root_reg.py" "$pki/ca.pem" "$pki/wine-root.reg" >/dev/null || return 1
        wine reg import 'Z:'"${pki//\//\\}"'\wine-root.reg' >/dev/null 2>&1 </dev/null
    fi
}

qv_stop_all() {
    qv_stop_wine
    local pid
    for pid in "${QV_GROUPS[@]}"; do
        kill -KILL -- "-$pid" 2>/dev/null || true
    done
    for pid in "${QV_PIDS[@]}"; do
        kill -KILL "$pid" 2>/dev/null || true
    done
    for pid in "${QV_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    QV_PIDS=()
    QV_GROUPS=()
    [ -n "${QV_DOVECOT_DIR:-}" ] && rm -rf "$QV_DOVECOT_DIR"
    return 0
}

# Configure one of the three builds in $QV_BUILD_ROOT/<kind>: native (ASan+UBSan), tsan, win32. The win32 tree
# is the release: its Quorvane.exe (the flags are in cmake/) is the one the tests run and scripts/package ships.
qv_configure() {
    local kind=$1 dir=$QV_BUILD_ROOT/$1
    local args=(-G Ninja -DCMAKE_BUILD_TYPE=Debug)
    case $kind in
        native) args+=(-DQV_SANITIZE=address,undefined) ;;
        tsan) args+=(-DQV_SANITIZE=thread) ;;
        win32) args+=(-DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    esac
    cmake -S "$QV_ROOT" -B "$dir" "${args[@]}" >/dev/null
}

# Configure and build one of the three builds.
qv_build() {
    qv_configure "$1" && cmake --build "$QV_BUILD_ROOT/$1"
}
