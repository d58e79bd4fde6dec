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
# The office's files are never in the package (dpkg would replace them on
# upgrade and delete them on removal): links lead to their folders.
expect_entry lrwxrwxrwx "/opt/varlo/cartorio/CARTORIO.ini -> /var/lib/monitor-senha/CARTORIO.ini"
expect_entry lrwxrwxrwx "/opt/varlo/cartorio/NovidadesMonitorSenha.INI -> /var/lib/monitor-senha/NovidadesMonitorSenha.INI"
expect_entry lrwxrwxrwx "/opt/varlo/cartorio/dbxconnections.ini -> /etc/monitor-senha/dbxconnections.ini"
expect_entry -rw-r--r-- /usr/lib/systemd/user/monitor-senha.service
expect_entry -rw-r--r-- /etc/xdg/autostart/monitor-senha.desktop
expect_entry -rwxr-xr-x /usr/libexec/monitor-senha/monitor-senha-sessao
expect_entry -rwxr-xr-x /usr/libexec/monitor-senha/monitor-senha-telas
if grep -Fv ' root/root ' "$WORK/contents"; then fail "entries not owned by root/root"; fi
if grep -E '^[^l]' "$WORK/contents" | grep -Ei '/(dbxconnections\.ini|cartorio\.ini|novidades[^/]*\.ini)$'; then
  fail "the package holds an office INI file"
fi
# Nothing that root runs or loads from the program folder may be changed by
# anyone else: no group or other write bit, no setgid folder.
if grep -E '^[^l].{4}w|^[^l].{7}w|^d.{5}[sS]' "$WORK/contents" | grep -F ' ./opt/'; then
  fail "the program folder has entries others than root may change"
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
ExecStopPost=/opt/varlo/cartorio/MonitorSenha --restaurar-tela
Restart=always
RestartSec=10
StartLimitIntervalSec=0
EOF
# verify needs the command to exist: point it at the unpacked one. Any remark
# fails, as verify exits 0 on keys it could not parse.
mkdir -m 700 "$WORK/runtime"
sed -E "s#^(ExecStart|ExecStopPost)=/#\\1=$WORK/root/#" "$UNIT" >"$WORK/monitor-senha.service"
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
# Clean down to the informational tags (--display-info shows them; --info
# would only explain the tags shown); what is overridden says why in the
# overrides file.
lintian --display-info --fail-on error,warning,info --tag-display-limit 0 "$DEB" 2>&1 |
  grep -v 'running with root privileges' >"$WORK/lintian.log"
lintian_rc=${PIPESTATUS[0]}
sed 's/^/  lintian: /' "$WORK/lintian.log"
check "lintian reports nothing at --info" test $lintian_rc -eq 0 -a ! -s "$WORK/lintian.log"


# --- Maintainer and autostart scripts, on stand-in commands ------------------
# The maintainer scripts run on a scratch root (DPKG_ROOT) that holds the
# unpacked package. Stand-ins log their command lines: chown (the
# group does not exist here), addgroup, dpkg-statoverride, logger and
# systemctl (with the user setpriv made it run as); getent and id answer from
# files the cases write.
STUBS=$WORK/stubs
mkdir "$STUBS"
for cmd in addgroup chown logger; do
  printf '#!/bin/sh\necho "%s $*" >>"$STUB_LOG"\n' "$cmd" >"$STUBS/$cmd"
done
cat >"$STUBS/setpriv" <<'END'
#!/bin/sh
while [ $# -gt 0 ]; do
  case $1 in --reuid=*) STUB_AS=${1#--reuid=} ;; --*) ;; *) break ;; esac
  shift
done
export STUB_AS
exec "$@"
END
# A user's manager: $STUB_DIR/<uid>.active (the display runs), <uid>.env (its
# environment), <uid>.refuses (it fails every request), <uid>.stalls (it never
# answers), <uid>.stops (the member stops the call, which ignores SIGTERM).
# A call that stalls or stops first writes what it has of a terminal to
# <uid>.seen. The system manager's answers to show are $STUB_PID and
# $STUB_CGROUP.
cat >"$STUBS/systemctl" <<'END'
#!/bin/sh
echo "${STUB_AS:+$STUB_AS: }systemctl $*" >>"$STUB_LOG"
[ -e "$STUB_DIR/$STUB_AS.refuses" ] && { echo "refused$(printf '\033]0;x\007')"; exit 1; }
if [ -e "$STUB_DIR/$STUB_AS.stalls" ] || [ -e "$STUB_DIR/$STUB_AS.stops" ]; then
  std=no
  { [ -t 0 ] || [ -t 1 ] || [ -t 2 ]; } && std=yes
  echo "pid=$$ session=$(cut -d' ' -f6 /proc/$$/stat) tty=$(cut -d' ' -f7 /proc/$$/stat) std=$std" >"$STUB_DIR/$STUB_AS.seen"
  if [ -e "$STUB_DIR/$STUB_AS.stops" ]; then
    trap '' TERM
    kill -STOP $$
  fi
  while :; do sleep 1; done
fi
case "$*" in
*is-active*) [ -e "$STUB_DIR/$STUB_AS.active" ] ;;
*show-environment*) cat "$STUB_DIR/$STUB_AS.env" 2>/dev/null ;;
"show --property=MainPID"*) echo "$STUB_PID" ;;
"show --property=ControlGroup"*) echo "$STUB_CGROUP" ;;
esac
END
cat >"$STUBS/getent" <<'END'
#!/bin/sh
grep "^$2:" "$STUB_DIR/$1"
END
cat >"$STUBS/dpkg-statoverride" <<'END'
#!/bin/sh
echo "dpkg-statoverride $*" >>"$STUB_LOG"
[ "$1" = --list ] && { [ -f "$STUB_DIR/override" ] || exit 1; cat "$STUB_DIR/override"; }
exit 0
END
cat >"$STUBS/id" <<'END'
#!/bin/sh
case $1 in -u) echo 1000 ;; -un) echo quiosque ;; *) cat "$STUB_DIR/groups" ;; esac
END
chmod +x "$STUBS"/*

run_case() { # run_case <name> <exit status> <expected log, lines joined by |> <command...>
  local name=$1 expected_rc=$2 expected=$3
  shift 3
  local got rc=0
  : >"$STUB_LOG"
  PATH="$STUBS:$PATH" "$@" >"$WORK/case.out" 2>&1 || rc=$?
  got=$(paste -sd'|' "$STUB_LOG")
  if [ $rc -ne "$expected_rc" ]; then
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
R=$WORK/dpkgroot
OV=/opt/varlo/cartorio
DATA=/var/lib/monitor-senha
U="systemctl --user"
UNITNAME=monitor-senha.service

# An install of the old layout: a group-writable program folder holding the
# office's files, and a file a member of the group put there.
mkdir -p "$R$OV" "$R/run/systemd/system"
chmod 2775 "$R$OV"
for name in CARTORIO.ini NovidadesMonitorSenha.INI dbxconnections.ini; do
  echo "$name of the office" >"$R$OV/$name"
  chmod 664 "$R$OV/$name"
done
# What a member could plant: names with line breaks (the first line of one
# names nothing, the last of another names a folder beside dpkg's working
# folder), blanks and leading dashes, a folder of the member's.
PLANTED=(libplanted.so $'MonitorSenha\netc' $'ausente\nlibplanted.so' ' espaco' '-rf' '--help' $'titulo\e]0;x\a' pasta)
for name in "${PLANTED[@]}"; do
  echo planted >"$R$OV/$name"
done
rm "$R$OV/pasta"
mkdir "$R$OV/pasta"
echo planted >"$R$OV/pasta/dentro"
chmod 666 "$R$OV"/* "$R$OV"/pasta/dentro
chmod 777 "$R$OV/pasta"
if [ "$(id -u)" = 0 ]; then
  echo planted >"$R$OV/do-membro"
  /bin/chown 65534 "$R$OV/do-membro"
  PLANTED+=(do-membro)
fi
chmod 664 "$R$OV"/{CARTORIO.ini,NovidadesMonitorSenha.INI,dbxconnections.ini}
# A member holds the old connection file open, to write to it later.
exec 8>>"$R$OV/dbxconnections.ini"
old_inode=$(stat -c %i "$R$OV/dbxconnections.ini")
# dpkg's working folder, with a folder of the name a line could give.
mkdir -p "$WORK/cwd/etc"
echo "not the member's" >"$WORK/cwd/etc/marker"
echo "root monitor-senha 2775 $OV" >"$STUB_DIR/override"
echo "monitor-senha:x:120:quiosque,tv2,tv3,tv4" >"$STUB_DIR/group"
printf '%s:x:%s:%s::/home/%s:/bin/sh\n' quiosque 1000 1000 quiosque tv2 1001 1001 tv2 \
  tv3 1002 1002 tv3 tv4 1003 1003 tv4 >"$STUB_DIR/passwd"
# quiosque's display runs; tv2's session handed its display over but the
# display is stopped (a new install after a removal); tv3's manager runs
# without a graphical session; tv4 has no manager.
for uid in 1000 1001 1002; do
  mkdir -p "$R/run/user/$uid/systemd"
  : >"$R/run/user/$uid/systemd/private"
done
: >"$STUB_DIR/1000.active"
echo "DISPLAY=:0" >"$STUB_DIR/1001.env"

(cd "$WORK/cwd" && run_case "upgrade from the old layout drops the folder's override" 0 \
  "dpkg-statoverride --list $OV|dpkg-statoverride --remove $OV|chown root:root $R$OV" \
  env DPKG_ROOT="$R" sh "$CTL/preinst" upgrade 1.0.0.0)
cp "$WORK/case.out" "$WORK/preinst.out"
check "the names are shown without their control characters" \
  grep -q "titulo?]0;x? could be changed by others than root" "$WORK/preinst.out"
check "the connection file is told to be reviewed" grep -q "dbxconnections.ini, a new file of root's; review it" "$WORK/preinst.out"
for name in "${PLANTED[@]}"; do
  check "planted '$name' is set aside whole" test -e "$R/var/backups/monitor-senha/$name" -a ! -e "$R$OV/$name"
done
check "a planted line never names dpkg's working folder" test -f "$WORK/cwd/etc/marker"
check "nothing outside the old folder is set aside" test ! -e "$R/var/backups/monitor-senha/etc"
rm "$STUB_DIR/override"
cp -a "$WORK/root/." "$R/"
run_case "configure restarts running displays and starts handed-over ones" 0 \
  "chown root:root $R$OV|chown root:monitor-senha $R$DATA $R/etc/monitor-senha|chown root:monitor-senha $R/etc/monitor-senha/dbxconnections.ini|1000: $U daemon-reload|1000: $U --quiet is-active $UNITNAME|1000: $U --no-block restart $UNITNAME|1001: $U daemon-reload|1001: $U --quiet is-active $UNITNAME|1001: $U show-environment|1001: $U --no-block start $UNITNAME|1002: $U daemon-reload|1002: $U --quiet is-active $UNITNAME|1002: $U show-environment" \
  env DPKG_ROOT="$R" sh "$CTL/postinst" configure 1.0.0.0
for row in "$OV 755" "$DATA 2775" "/etc/monitor-senha 750" "/etc/monitor-senha/dbxconnections.ini 640" \
  "/var/backups/monitor-senha 700"; do
  read -r path want <<<"$row"
  check "mode of $path is $want" test "$(stat -c %a "$R$path")" = "$want"
done
if (cd "$R$OV" && find . ! -type l -perm /022 | grep .); then
  fail "after the upgrade the program folder has entries others than root may change"
fi
for name in CARTORIO.ini NovidadesMonitorSenha.INI dbxconnections.ini; do
  target=$(readlink "$R$OV/$name")
  check "$name moved to $target, behind the link" grep -qx "$name of the office" "$R$target"
done
# An upgrade from this layout leaves the package's links where they are.
run_case "an upgrade from this layout moves nothing" 0 "dpkg-statoverride --list $OV|chown root:root $R$OV" \
  env DPKG_ROOT="$R" sh "$CTL/preinst" upgrade 1.0.0.1
check "... and says nothing" test ! -s "$WORK/case.out"
for name in CARTORIO.ini NovidadesMonitorSenha.INI dbxconnections.ini; do
  check "$name is still the package's link" test -L "$R$OV/$name"
done

# What the member writes through the old file reaches nothing in use.
echo "Database=the member's" >&8
exec 8>&-
CONN=$R/etc/monitor-senha/dbxconnections.ini
check "the connection file is a new one" test "$(stat -c %i "$CONN")" != "$old_inode"
check "the member's later write is not in it" test "$(cat "$CONN")" = "dbxconnections.ini of the office"
check "the old connection file is gone" test ! -e "$R$OV/dbxconnections.ini" -o -L "$R$OV/dbxconnections.ini"

# A manager that refuses: the install goes on and says so; at removal root
# ends the display through the control group of the member's unit (only the
# member's own processes in it), says so, and the removal goes on.
: >"$STUB_DIR/1001.refuses"
export STUB_CGROUP=/user.slice/user-1001.slice/user@1001.service
UNITCG=$R/sys/fs/cgroup$STUB_CGROUP/app.slice/$UNITNAME
mkdir -p "$UNITCG"
: >"$R/sys/fs/cgroup/cgroup.controllers"
sleep 60 &
bystander=$!
member_display=""
# Started from a subshell, so that its end is no job of this shell's.
if [ "$(id -u)" = 0 ]; then
  member_display=$(setpriv --reuid=1001 --regid=1001 --clear-groups sleep 60 >/dev/null 2>&1 & echo $!)
fi
printf '%s\n' $member_display $bystander >"$UNITCG/cgroup.procs"
STOPS="1000: $U stop $UNITNAME|1001: $U stop $UNITNAME|systemctl show --property=ControlGroup --value user@1001.service|1002: $U stop $UNITNAME"
run_case "removal goes on when a manager refuses, its display ended by root" 0 "$STOPS" \
  env DPKG_ROOT="$R" sh "$CTL/prerm" remove
check "the refusal says what was done and how to mend the rest" \
  grep -q "ended by root.*loginctl terminate-user tv2" "$WORK/case.out"
check "the manager's text is shown without its control characters" \
  bash -c "grep -q 'said: refused' '$WORK/case.out' && ! grep -q \$'\\033' '$WORK/case.out'"
if [ -n "$member_display" ]; then
  state=$(cut -d' ' -f3 "/proc/$member_display/stat" 2>/dev/null)
  check "the member's display process is ended (state '$state')" test -z "$state" -o "$state" = Z
fi
check "a process of another user in the unit's group is left" kill -0 $bystander
kill $bystander
PATH="$STUBS:$PATH" DPKG_ROOT="$R" sh "$CTL/postinst" configure 1.0.0.1 >"$WORK/case.out" 2>&1
check "configure succeeds and warns when a manager refuses" grep -q "WARNING" "$WORK/case.out"
rm "$STUB_DIR/1001.refuses"
STOPS="1000: $U stop $UNITNAME|1001: $U stop $UNITNAME|1002: $U stop $UNITNAME"
run_case "removal stops the displays" 0 "$STOPS" env DPKG_ROOT="$R" sh "$CTL/prerm" remove

# Under the administrator's terminal, a manager that never answers (1000) and
# a member who stops the call (1001): the member's process has no terminal
# and a session of its own, and the helper is done within its bound.
TELAS=$WORK/root/usr/libexec/monitor-senha/monitor-senha-telas
: >"$STUB_DIR/1000.stalls"
: >"$STUB_DIR/1001.stops"
started=$SECONDS
run_case "removal under a terminal with a stalled and a stopped call" 0 \
  "1000: $U stop $UNITNAME|systemctl show --property=ControlGroup --value user@1000.service|1001: $U stop $UNITNAME|systemctl show --property=ControlGroup --value user@1001.service|1002: $U stop $UNITNAME" \
  env DPKG_ROOT="$R" MONITOR_SENHA_TELAS_LIMITE=2 script -qec "sh $CTL/prerm remove" /dev/null
# Two calls of at most 2 s each, and what root does after each.
check "the helper is done within its bound ($((SECONDS - started)) s)" test $((SECONDS - started)) -le 10
check "the helper says the manager did not answer" grep -q "did not answer within 2 s" "$WORK/case.out"
for uid in 1000 1001; do
  read -r seen <"$STUB_DIR/$uid.seen"
  pid=${seen#pid=}
  pid=${pid%% *}
  check "member $uid's call has no terminal and a session of its own ($seen)" \
    test "$seen" = "pid=$pid session=$pid tty=0 std=no"
  # Gone, or a zombie its ended parent left to be reaped.
  state=$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)
  check "member $uid's call is ended (state '$state')" test -z "$state" -o "$state" = Z
done
rm "$STUB_DIR"/100[01].{stalls,stops,seen}

# The real service manager client as a real member (nobody), against a
# socket that takes the connection and never answers.
if [ "$(id -u)" = 0 ] && command -v python3 >/dev/null; then
  REAL=$WORK/stubs-real
  mkdir "$REAL"
  cp "$STUBS/getent" "$REAL/"
  chmod 755 "$WORK" "$R" "$R/run" "$R/run/user"
  mkdir -p "$R/run/user/65534/systemd"
  rm -f "$R/run/user/65534/systemd/private"
  python3 -c 'import socket, sys, time, os
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1]); os.chmod(sys.argv[1], 0o777); s.listen(8)
time.sleep(60)' "$R/run/user/65534/systemd/private" &
  listener=$!
  for _ in $(seq 50); do [ -S "$R/run/user/65534/systemd/private" ] && break; sleep 0.1; done
  cp "$STUB_DIR/group" "$STUB_DIR/group.saved"
  cp "$STUB_DIR/passwd" "$STUB_DIR/passwd.saved"
  echo "monitor-senha:x:120:membro" >"$STUB_DIR/group"
  echo "membro:x:65534:65534::/nonexistent:/bin/sh" >"$STUB_DIR/passwd"
  started=$SECONDS
  PATH="$REAL:$PATH" DPKG_ROOT="$R" MONITOR_SENHA_TELAS_LIMITE=2 script -qec "bash $TELAS reiniciar" /dev/null \
    >"$WORK/case.out" 2>&1
  rc=$?
  check "a manager socket that never answers: the helper fails within its bound ($((SECONDS - started)) s, exit $rc)" \
    test $rc -eq 1 -a $((SECONDS - started)) -le 6
  check "... and says so" grep -q "reloading the units for user membro failed (its service manager did not answer within 2 s)" "$WORK/case.out"
  kill $listener
  mv "$STUB_DIR/group.saved" "$STUB_DIR/group"
  mv "$STUB_DIR/passwd.saved" "$STUB_DIR/passwd"
else
  echo "skipped: the real service manager client as another user (needs root and python3)"
fi
run_case "removal leaves every file" 0 "" env DPKG_ROOT="$R" sh "$CTL/postrm" remove
rm "$R/etc/monitor-senha/dbxconnections.ini"
run_case "purge" 0 "dpkg-statoverride --list $OV" env DPKG_ROOT="$R" sh "$CTL/postrm" purge
check "purge keeps the office's data" test -f "$R$DATA/CARTORIO.ini"
check "purge removes the emptied settings folder" test ! -e "$R/etc/monitor-senha"

SESSION=$WORK/root/usr/libexec/monitor-senha/monitor-senha-sessao
SHOW="systemctl show --property=MainPID --value user@1000.service"
echo "quiosque users" >"$STUB_DIR/groups"
run_case "autostart leaves other users' sessions alone" 0 "" env DISPLAY=:0 XAUTHORITY=/x sh "$SESSION"
echo "quiosque users monitor-senha" >"$STUB_DIR/groups"
run_case "autostart without XAUTHORITY hands DISPLAY alone" 0 \
  "$SHOW|$U import-environment DISPLAY|$U --no-block start $UNITNAME" \
  env -u XAUTHORITY STUB_PID=0 DISPLAY=:0 sh "$SESSION"
# The manager's groups are read from its process: a stand-in process with
# groups 4711 and 4712 (only root can give them).
setpriv --groups 4711,4712 sleep 60 2>/dev/null &
manager=$!
sleep 0.5
if grep -q '^Groups:.*4711' "/proc/$manager/status" 2>/dev/null; then
  LACKS="logger -t monitor-senha-sessao -p user.warning -- the service manager of quiosque (PID $manager) started before the user joined group monitor-senha and lacks it: the display cannot save its settings. End the user's processes (sudo loginctl terminate-user quiosque) or restart the PC, then log in again.|"
  for row in "4712:" "4713:$LACKS"; do
    echo "monitor-senha:x:${row%%:*}:quiosque" >"$STUB_DIR/group"
    run_case "autostart, the group's id ${row%%:*}, a manager of groups 4711 and 4712" 0 \
      "$SHOW|${row#*:}$U import-environment DISPLAY XAUTHORITY|$U --no-block start $UNITNAME" \
      env STUB_PID=$manager DISPLAY=:0 XAUTHORITY=/x sh "$SESSION"
  done
else
  echo "skipped: the manager's groups (no stand-in process with groups of its own)"
fi
kill $manager 2>/dev/null

echo "$failures failed"
[ $failures -eq 0 ]
