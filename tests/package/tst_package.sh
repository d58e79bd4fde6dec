#!/usr/bin/env bash
# Builds the Debian package from this build tree and reads it back without
# installing it: file name, fields, contents and modes, the unit (under
# systemd-analyze and with the date format it gives the program), lintian, and
# the maintainer and autostart scripts run against stand-in commands.
#
#   tst_package.sh <build dir> <project version> <regional-settings test program>
#
# Exits 77 (skipped) when a tool is missing, unless MONITOR_REQUIRE_SERVER is set.
set -uo pipefail
BUILD=$1
VERSION=$2
REGIONAL_TEST=$3

missing=()
for tool in cpack dpkg-deb dpkg-shlibdeps file lintian systemd-analyze; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "missing tools: ${missing[*]} (scripts/deps installs them)"
  [ -n "${MONITOR_REQUIRE_SERVER:-}" ] && exit 1
  exit 77
fi

WORK=$(mktemp -d /tmp/monitor-package.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { # check <description> <command...>
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}

# --- Build --------------------------------------------------------------------
if ! (cd "$BUILD" && cpack -G DEB -B "$WORK/out" >"$WORK/cpack.log" 2>&1); then
  cat "$WORK/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
ARCH=$(dpkg --print-architecture)
DEB=$WORK/out/monitor-senha_${VERSION}_${ARCH}.deb
[ -f "$DEB" ] || { ls "$WORK/out"; echo "FAIL: no $(basename "$DEB")"; exit 1; }
echo "ok: built $(basename "$DEB")"

# --- Fields -------------------------------------------------------------------
# Name, version and architecture are in the file name cpack took from the fields.
depends=$(dpkg-deb --field "$DEB" Depends)
# From the linked libraries, and the ones the libraries cannot tell.
for dep in libc6 libfbclient2 libqt6core6 libqt6widgets6 libqt6multimedia6 libespeak-ng1 libsndfile1 espeak-ng-data adduser fonts-liberation2 systemd; do
  grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

# --- Contents -----------------------------------------------------------------
dpkg-deb --contents "$DEB" | awk '{ print $1, $2, substr($0, index($0, "./")) }' >"$WORK/contents"
expect_entry() { # expect_entry <mode> <path, or "path -> target" for a link>
  grep -Fxq -e "$1 root/root .$2" "$WORK/contents" || fail "no '$1 root/root .$2' in the package"
}
expect_entry -rwxr-xr-x /opt/varlo/cartorio/MonitorSenha
expect_entry -rwxr-xr-x /opt/varlo/cartorio/senha
expect_entry -rw-r--r-- /opt/varlo/cartorio/VarloLib.dll
expect_entry -rw-r--r-- /opt/varlo/cartorio/senha.wav
expect_entry -rw-r--r-- /opt/varlo/cartorio/dbxconnections.ini.exemplo
expect_entry lrwxrwxrwx "/usr/bin/senha -> /opt/varlo/cartorio/senha"
expect_entry -rw-r--r-- /usr/lib/systemd/user/monitor-senha.service
expect_entry -rw-r--r-- /etc/xdg/autostart/monitor-senha.desktop
expect_entry -rwxr-xr-x /usr/libexec/monitor-senha/monitor-senha-sessao
if grep -Fv ' root/root ' "$WORK/contents"; then fail "entries not owned by root/root"; fi
# The office's own files are never in the package: dpkg would replace them on
# upgrade and delete them on removal.
if grep -Ei '/(dbxconnections\.ini|cartorio\.ini|novidades[^/]*\.ini)$' "$WORK/contents"; then
  fail "the package holds an office INI file"
fi

mkdir "$WORK/root" "$WORK/control"
dpkg-deb -x "$DEB" "$WORK/root"
dpkg-deb -e "$DEB" "$WORK/control"
check "conffiles is the autostart entry alone" \
  test "$(cat "$WORK/control/conffiles")" = /etc/xdg/autostart/monitor-senha.desktop
for f in "$WORK"/root/opt/varlo/cartorio/{MonitorSenha,senha,VarloLib.dll}; do
  file -b "$f" | grep -q 'not stripped' && fail "$(basename "$f") is not stripped"
done
check "example's section is [CARTÓRIO] in Windows-1252" \
  env LC_ALL=C grep -q $'^\\[CART\xd3RIO\\]' "$WORK/root/opt/varlo/cartorio/dbxconnections.ini.exemplo"

# --- Unit ---------------------------------------------------------------------
UNIT=$WORK/root/usr/lib/systemd/user/monitor-senha.service
while read -r line; do
  grep -Fxq "$line" "$UNIT" || fail "unit lacks $line"
done <<'EOF'
Type=notify
NotifyAccess=main
WatchdogSec=30
ExecStart=/opt/varlo/cartorio/MonitorSenha --quiosque
Restart=always
RestartSec=10
StartLimitIntervalSec=0
EOF
# verify needs the command to exist: point it at the unpacked one. Any remark
# fails, as verify exits 0 on keys it could not parse.
mkdir -m 700 "$WORK/runtime"
sed "s|^ExecStart=/|ExecStart=$WORK/root/|" "$UNIT" >"$WORK/monitor-senha.service"
XDG_RUNTIME_DIR=$WORK/runtime systemd-analyze verify --user --man=no "$WORK/monitor-senha.service" \
  >"$WORK/verify.log" 2>&1
verify_rc=$?
if [ $verify_rc -ne 0 ] || [ -s "$WORK/verify.log" ]; then
  cat "$WORK/verify.log"
  fail "systemd-analyze verify (exit $verify_rc)"
else
  echo "ok: systemd-analyze verify"
fi

# The program reads its date format from the environment the unit gives it,
# whatever the session's locale and whether pt_BR is a generated locale.
unit_set=()
unit_unset=()
while IFS= read -r line; do
  case $line in
  Environment=*) unit_set+=("${line#Environment=}") ;;
  UnsetEnvironment=*) unit_unset+=("-u" "${line#UnsetEnvironment=}") ;;
  esac
done <"$UNIT"
for session in "LANG=en_US.UTF-8" "LC_ALL=en_US.UTF-8" "LC_TIME=C.UTF-8 LANG=C.UTF-8"; do
  report=$WORK/formats
  rm -f "$report"
  # shellcheck disable=SC2086
  env -i PATH="$PATH" $session env "${unit_unset[@]}" "${unit_set[@]}" QT_QPA_PLATFORM=offscreen \
    MONITOR_REGIONAL_REPORT="$report" "$REGIONAL_TEST" reportFormats >/dev/null 2>&1
  got=$(sed -n 2p "$report" 2>/dev/null)
  check "short date dd/MM/yyyy under the unit with $session" test "$got" = dd/MM/yyyy
done

# --- Lintian ------------------------------------------------------------------
lintian --fail-on error --tag-display-limit 0 "$DEB" >"$WORK/lintian.log" 2>&1
lintian_rc=$?
sed 's/^/  lintian: /' "$WORK/lintian.log"
check "lintian reports no error" test $lintian_rc -eq 0

# --- Maintainer and autostart scripts, on stand-in commands ------------------
# Each stand-in logs its command line; getent, dpkg-statoverride and id answer
# from files the cases write.
STUBS=$WORK/stubs
mkdir "$STUBS"
printf '#!/bin/sh\necho "addgroup $*" >>"$STUB_LOG"\n' >"$STUBS/addgroup"
# is-active answers yes for the users listed in $STUB_DIR/active.
cat >"$STUBS/systemctl" <<'EOF'
#!/bin/sh
echo "systemctl $*" >>"$STUB_LOG"
case "$*" in
*is-active*) user=${3%@}; grep -qx "$user" "$STUB_DIR/active" 2>/dev/null ;;
esac
EOF
cat >"$STUBS/getent" <<'EOF'
#!/bin/sh
[ -f "$STUB_DIR/group" ] && cat "$STUB_DIR/group"
EOF
cat >"$STUBS/dpkg-statoverride" <<'EOF'
#!/bin/sh
echo "dpkg-statoverride $*" >>"$STUB_LOG"
[ "$1" = --list ] && { [ -f "$STUB_DIR/override" ] || exit 1; cat "$STUB_DIR/override"; }
exit 0
EOF
cat >"$STUBS/id" <<'EOF'
#!/bin/sh
cat "$STUB_DIR/groups"
EOF
chmod +x "$STUBS"/*

run_case() { # run_case <name> <expected log, lines joined by |> <script> <args...>
  local name=$1 expected=$2; shift 2
  local got rc=0
  : >"$STUB_LOG"
  PATH="$STUBS:$PATH" "$@" >"$WORK/case.out" 2>&1 || rc=$?
  got=$(paste -sd'|' "$STUB_LOG")
  if [ $rc -ne 0 ]; then
    fail "$name: exit status $rc: $(cat "$WORK/case.out")"
  elif [ "$got" != "$expected" ]; then
    fail "$name: ran '$got'"
  else
    echo "ok: $name"
  fi
}
export STUB_DIR=$WORK/case STUB_LOG=$WORK/case/log
mkdir "$STUB_DIR"
CTL=$WORK/control
OV="/opt/varlo/cartorio"

rm -f "$STUB_DIR/group" "$STUB_DIR/override"
run_case "first install creates the group and the folder's override" \
  "addgroup --quiet --system monitor-senha|dpkg-statoverride --list $OV|dpkg-statoverride --update --add root monitor-senha 2775 $OV" \
  sh "$CTL/postinst" configure ""
echo "monitor-senha:x:120:" >"$STUB_DIR/group"
echo "root monitor-senha 2775 $OV" >"$STUB_DIR/override"
run_case "reconfiguring keeps the group and the override" \
  "dpkg-statoverride --list $OV" sh "$CTL/postinst" configure ""
run_case "removal leaves the override and every file" "" sh "$CTL/postrm" remove
# With a running service manager, an upgrade restarts the members' running
# displays and a removal stops them.
mkdir -p "$WORK/dpkgroot/run/systemd/system"
echo "monitor-senha:x:120:quiosque,tv2" >"$STUB_DIR/group"
echo quiosque >"$STUB_DIR/active"
M="systemctl --user -M"
run_case "upgrade restarts the running displays" \
  "dpkg-statoverride --list $OV|$M quiosque@ --quiet is-active monitor-senha.service|$M quiosque@ daemon-reload|$M quiosque@ restart monitor-senha.service|$M tv2@ --quiet is-active monitor-senha.service" \
  env DPKG_ROOT="$WORK/dpkgroot" sh "$CTL/postinst" configure 1.0.0.0
run_case "removal stops the displays" \
  "$M quiosque@ stop monitor-senha.service|$M tv2@ stop monitor-senha.service" \
  env DPKG_ROOT="$WORK/dpkgroot" sh "$CTL/prerm" remove
run_case "purge drops the override alone" \
  "dpkg-statoverride --list $OV|dpkg-statoverride --remove $OV" sh "$CTL/postrm" purge

SESSION=$WORK/root/usr/libexec/monitor-senha/monitor-senha-sessao
echo "quiosque users" >"$STUB_DIR/groups"
run_case "autostart leaves other users' sessions alone" "" \
  env DISPLAY=:0 XAUTHORITY=/x sh "$SESSION"
echo "quiosque users monitor-senha" >"$STUB_DIR/groups"
run_case "autostart hands the display over and starts the unit" \
  "systemctl --user import-environment DISPLAY XAUTHORITY|systemctl --user --no-block start monitor-senha.service" \
  env DISPLAY=:0 XAUTHORITY=/x sh "$SESSION"
run_case "autostart without XAUTHORITY hands DISPLAY alone" \
  "systemctl --user import-environment DISPLAY|systemctl --user --no-block start monitor-senha.service" \
  env -u XAUTHORITY DISPLAY=:0 sh "$SESSION"

echo "$failures failed"
[ $failures -eq 0 ]
