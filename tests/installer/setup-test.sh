#!/usr/bin/env bash
# setup-test.sh BUILD_DIR SETUP_EXE STAGE_DIR VERSION HANDLER(0|1)
# QuaysailSetup.exe end to end, as an administrator runs it, in a Wine prefix made fresh for
# the run (with a wineserver of its own, so its service control manager and registry hold
# nothing but the setup program's doing):
#   install    silent, into Program Files: the files are the staged ones byte for byte, the
#              uninstall entry names the version, the service runs and starts automatically,
#              the shell extension's keys point at the installed DLLs in both registry views,
#              and the installed Quaysail.exe copies a tree;
#   repair     the same setup over a damaged installation (a file cut short, one deleted,
#              the service stopped): everything as after the install, the registry too;
#   upgrade    an older version's setup first, then this one over it;
#   uninstall  silent: no file, no service, no key or value of ours, and the registry
#              as it was before the install;
#   /D=        another folder (blank and Japanese in its name), which the entry, the
#              service and the keys follow, and which the uninstall removes.
set -euo pipefail
build_dir=$1 setup=$2 stage=$3 version=$4 handler=$5
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$build_dir/setup-test
prefix=$work/prefix
passed=0
fail() { echo "FAIL: $*"; exit 1; }
ok() { echo "ok   $*"; passed=$((passed + 1)); }

# The locale every Wine process of the project runs in (scripts/wine-run.sh, which the
# copy tool's runs here go through): Wine rewrites the system's font list in the locale of
# the process that starts it, so one locale throughout keeps the registry comparable.
# Wine's sc and regedit speak English in it all the same.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# Never left running for the next test: the service, and the server holding it.
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -k 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"

# Runs a Windows program; its output (CRs dropped) on stdout, its exit code as ours. The
# output goes through a file: Wine's background processes started on its behalf inherit
# it and outlive the program.
win() {
  local out=$work/out.$$ status=0
  wine "$@" </dev/null >"$out" 2>/dev/null || status=$?
  tr -d '\r' <"$out"
  rm -f "$out"
  return $status
}
# Ends the prefix's wineserver and every process of it (the uninstaller's copy of
# itself that runs on after the first one exits among them) and waits for that.
settle() { wineserver -w; }

wineboot -i >/dev/null 2>&1 || true
settle
win reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null
settle

c_drive=$(realpath "$prefix/drive_c")
default_dir='C:\Program Files\Quaysail'
hklm=HKEY_LOCAL_MACHINE
uninstall_key="$hklm\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quaysail"
classes="$hklm\\Software\\Classes"
classes32="$hklm\\Software\\Classes\\Wow6432Node"  # what the 32-bit view shows as $classes
clsid='{08AD79C1-121F-4e72-BDB5-94CBDAB00571}'
libid='{9D18C8F5-8642-4810-815A-36EBC8A7C6CC}'
iid='{0B59718F-1D7A-4DA2-8F6A-25695C83DA57}'
files=(Quaysail.exe Beaconry.dll Quaykeep.exe)
[ "$handler" = 1 ] && files+=(Quaydrop.dll Quaydrop32.dll)

linux_path() {  # a C:\ path
  local rest=${1#C:}
  printf '%s%s\n' "$c_drive" "${rest//\\//}"
}
# The whole registry exported (regedit /E writes UTF-16, exact whatever the console's
# code page) as NAME.reg, and as NAME.lines: one line per key and value.
registry() {  # name
  win regedit /E "$(winepath -w "$work/$1.reg" 2>/dev/null)" >/dev/null || fail "regedit /E failed"
  python3 "$here/registry-lines.py" "$work/$1.reg" >"$work/$1.lines"
}
# A value's data in an export: a string as it is, a number in decimal; empty when missing.
value() {  # export name, key, value name ("" for the default value)
  python3 "$here/registry-lines.py" "$work/$1.reg" "$2" "$3"
}
has_key() { grep -qixF "$2" "$work/$1.lines"; }  # export name, key
service_state() { win sc query Quaykeep 2>/dev/null | sed -n 's/^ *STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p'; }

# Everything an installation in DIR must show.
check_installed() {  # label, Windows folder
  local label=$1 dir=$2 linux reg=installed-$1
  linux=$(linux_path "$dir")
  for f in "${files[@]}"; do
    cmp -s "$stage/$f" "$linux/$f" || fail "$label: $dir\\$f is not the staged file"
  done
  [ -f "$linux/uninstall.exe" ] || fail "$label: no uninstall.exe"
  local extra
  extra=$(cd "$linux" && ls -A | grep -vxF -e uninstall.exe $(printf -- '-e %s ' "${files[@]}") || true)
  [ -z "$extra" ] || fail "$label: unexpected files in $dir: $extra"

  registry "$reg"
  expect() {  # key, value name, expected data
    local data
    data=$(value "$reg" "$1" "$2")
    [ "$data" = "$3" ] || fail "$label: $1 ${2:-(default)} is \"$data\", not \"$3\""
  }
  expect "$uninstall_key" DisplayName Quaysail
  expect "$uninstall_key" DisplayVersion "$version"
  expect "$uninstall_key" Publisher Tidewell
  expect "$uninstall_key" UninstallString "\"$dir\\uninstall.exe\""
  expect "$uninstall_key" QuietUninstallString "\"$dir\\uninstall.exe\" /S"
  expect "$uninstall_key" InstallLocation "$dir"
  # The size in KiB, as the list of programs shows it: the installed files' own.
  local size expected
  size=$(value "$reg" "$uninstall_key" EstimatedSize)
  expected=$(( ($(cd "$linux" && du -b --apparent-size -c "${files[@]}" uninstall.exe | tail -1 | cut -f1) + 1023) / 1024 ))
  [ -n "$size" ] && [ "$size" -ge $((expected - 8)) ] && [ "$size" -le $((expected + 8)) ] ||
    fail "$label: EstimatedSize ${size:-missing} KiB, the files are $expected KiB"

  [ "$(service_state)" = RUNNING ] || fail "$label: the service is not running: $(win sc query Quaykeep || true)"
  # Wine's sc has no "qc": the service's configuration as the service control manager keeps it.
  local service="$hklm\\System\\CurrentControlSet\\Services\\Quaykeep"
  expect "$service" Start 2  # SERVICE_AUTO_START
  expect "$service" ImagePath "\"$dir\\Quaykeep.exe\""

  if [ "$handler" = 1 ]; then
    expect "$classes\\CLSID\\$clsid\\InprocServer32" "" "$dir\\Quaydrop.dll"
    expect "$classes32\\CLSID\\$clsid\\InprocServer32" "" "$dir\\Quaydrop32.dll"
    expect "$classes\\CLSID\\$clsid\\InprocServer32" ThreadingModel Apartment
    expect "$classes32\\CLSID\\$clsid\\InprocServer32" ThreadingModel Apartment
    has_key "$reg" "$classes\\Folder\\ShellEx\\DragDropHandlers\\$clsid" || fail "$label: no 64-bit handler key"
    has_key "$reg" "$classes32\\Folder\\ShellEx\\DragDropHandlers\\$clsid" || fail "$label: no 32-bit handler key"
    expect "$classes\\TypeLib\\$libid\\1.0\\0\\win64" "" "$dir\\Quaydrop.dll"
    expect "$classes\\TypeLib\\$libid\\1.0\\0\\win32" "" "$dir\\Quaydrop32.dll"
    # The 32-bit keys, which the setup writes, are the ones the 64-bit DLL's own
    # registration wrote in its view, but for the DLL they name.
    python3 - "$work/$reg.lines" "$classes" "$classes32" "$clsid" "$iid" <<'PY' || fail "$label: the 32-bit keys differ"
import sys
lines, root64, root32, clsid, iid = sys.argv[1:]
def view(root):
    prefixes = [(root + rel).lower() for rel in
                ("\\CLSID\\" + clsid, "\\Folder\\ShellEx\\DragDropHandlers\\" + clsid, "\\Interface\\" + iid)]
    # Key names compare without case, as the registry compares them.
    def entry(line):
        key, sep, value = line.rstrip("\n")[len(root):].partition(" | ")
        return key.lower() + sep + value.replace("Quaydrop32.dll", "Quaydrop.dll")
    return {entry(line) for line in open(lines) if any(line.lower().startswith(p) for p in prefixes)}
keys64, keys32 = view(root64), view(root32)
for line in sorted(keys64 - keys32): print("only 64-bit: " + line)
for line in sorted(keys32 - keys64): print("only 32-bit: " + line)
sys.exit(keys64 != keys32 or not keys64)
PY
    # The Explorer's way to it: the installed handler, created through the registry.
    QUAYTEST_INSTALLED_DIR=$dir win "$(winepath -w "$build_dir/tests/installer/quaytest-installed-handler.exe" 2>/dev/null)" \
      >"$work/handler-$label.log" || fail "$label: the installed handler: $(cat "$work/handler-$label.log")"
  fi
}

# The installed copy tool copies a tree, with the service it asks about the destination.
check_copy() {  # label, Windows folder
  local label=$1 dir=$2 src=$work/tree-$1 dst=$work/copy-$1
  mkdir -p "$src/sub/深い" "$dst"
  head -c 3000001 /dev/urandom >"$src/大きい.bin"
  printf 'x' >"$src/sub/one.txt"
  : >"$src/sub/深い/空.txt"
  QUAYSAIL_EXE=$(linux_path "$dir")/Quaysail.exe timeout 120 "$root/scripts/quaysail" "$src" "$dst" \
    >/dev/null 2>&1 || fail "$label: the installed Quaysail.exe exited $?"
  diff -r "$src" "$dst/tree-$label" >/dev/null || fail "$label: the copy differs from its source"
}

# Registry lines the system changes on its own: each start of a wineserver records its
# display adapters anew (new keys, new dates), and the service control manager counts the
# service processes it has started.
system_own() {
  grep -v -e '^HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\' \
          -e '^HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\{[-0-9A-F]*}\\[0-9]* | "DriverDateData"=' \
          -e '^HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ServiceCurrent | @=dword:' "$1"
}
# The uninstaller runs as a copy of itself in the temporary folder (so that it can delete
# its own file), and that copy can only be deleted at the next start of Windows: it is
# left for that, with its pending deletion, and nothing else is.
pending='^HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager | "PendingFileRenameOperations"='
uninstaller_copy() {
  python3 - "$1" <<'PY'
import ast, re, sys
for line in open(sys.argv[1]):
    if '"PendingFileRenameOperations"=multi:' in line:
        names = [n for n in ast.literal_eval(line.split("=multi:", 1)[1]) if n]
        if not names or any(not re.fullmatch(r"\\\?\?\\C:\\users\\[^\\]+\\Temp\\~nsu\d*\.tmp(\\Un\.exe)?", n) for n in names):
            sys.exit("pending at restart: %r" % names)
PY
}

temp_files() { (cd "$c_drive" && find users/*/Temp windows/temp -mindepth 1 2>/dev/null | sort); }

# What must be gone after an uninstall of DIR.
check_removed() {  # label, Windows folder
  local label=$1 dir=$2
  [ ! -e "$(linux_path "$dir")" ] || fail "$label: $dir is still there: $(ls -A "$(linux_path "$dir")")"
  local left
  # (C:\quaytest is the scratch folder of the tests' own programs.)
  left=$(cd "$c_drive" && find . -iname '*quay*' ! -path ./quaytest | head || true)
  [ -z "$left" ] || fail "$label: files of ours left: $left"
  left=$(temp_files | grep -vxF -f "$work/temp-before" | grep -vx '.*/~nsu[0-9]*\.tmp\(/Un\.exe\)\?' || true)
  [ -z "$left" ] || fail "$label: left in the temporary folders: $left"
  win sc query Quaykeep >/dev/null 2>&1 && fail "$label: the service is still there"
  registry "after-$label"
  left=$(grep -i -e quay -e "$clsid" -e "$libid" -e "$iid" "$work/after-$label.lines" || true)
  [ -z "$left" ] || fail "$label: registry entries of ours left:
$left"
  uninstaller_copy "$work/after-$label.lines" || fail "$label: a deletion at restart other than the uninstaller's copy"
}
# Two exports compared, apart from the system's own changes and the uninstaller's pending copy.
same_registry() {  # label, before, after
  diff <(system_own "$work/$2.lines" | grep -v "$pending") <(system_own "$work/$3.lines" | grep -v "$pending") \
    >"$work/$1.diff" || fail "$1: the registry differs ($2 < > $3):
$(cat "$work/$1.diff")"
}

# The setup program's command line as a user types it: /D= comes last and unquoted, blanks
# and all, which only a command line taken as it is (cmd /c) passes on.
setup() {  # setup program (Linux path), arguments...
  local exe=$1 status=0
  shift
  win cmd /c "$(winepath -w "$exe" 2>/dev/null) /S $*" >/dev/null || status=$?
  [ $status = 0 ] || fail "$(basename "$exe") /S $* exited $status"
}
uninstall() {  # Windows folder
  local status=0
  win "$1\\uninstall.exe" /S >/dev/null || status=$?
  [ $status = 0 ] || fail "uninstall.exe /S exited $status"
  # It runs on as a copy of itself, which this waits for.
  settle
}

registry before
temp_files >"$work/temp-before"
setup "$setup"
check_installed install "$default_dir"
check_copy install "$default_dir"
ok "install: files, entry, running service, handler keys; the installed copy tool copies"
registry after-install

installed=$(linux_path "$default_dir")
head -c 1000 "$stage/Quaysail.exe" >"$installed/Quaysail.exe"
rm "$installed/Beaconry.dll"
win sc stop Quaykeep >/dev/null || fail "sc stop failed"
setup "$setup"
check_installed repair "$default_dir"
registry after-repair
same_registry repair after-install after-repair
ok "repair: a damaged installation is whole and running again, the registry as before"

# An upgrade while a job of the installed copy tool is in progress, held at a question: its
# program file is in use (here an earlier build of it, with its debug information). The
# job must go on undisturbed, and the new file must be in place either at once (the old
# one moved aside) or, when the file cannot even be moved aside, after a restart, which
# the setup then asks for with exit code 3010.
busy=$work/busy
mkdir -p "$busy/dst"
head -c 300000 /dev/urandom >"$busy/報告.bin"
head -c 100 /dev/urandom >"$busy/dst/報告.bin"
cp "$build_dir/copytool/app/Quaysail.exe" "$installed/Quaysail.exe"
QUAYSAIL_EXE=$installed/Quaysail.exe timeout 300 "$root/scripts/quaysail" "$busy/報告.bin" "$busy/dst" \
  >"$work/busy.log" 2>&1 &
job=$!
press=$(winepath -w "$build_dir/tests/ui-progress/quaysail-press.exe" 2>/dev/null)
win "$press" 0 120 >/dev/null || fail "in use: the copy tool's overwrite question did not open"
status=0
win "$(winepath -w "$setup" 2>/dev/null)" /S >/dev/null || status=$?
# Wine hands on the low byte of a program's exit code: 3010 arrives as 194.
case $status in
  0) restart=0 ;;
  3010 | $((3010 % 256)))
    restart=1
    registry in-use
    grep "$pending" "$work/in-use.lines" | grep -qF 'C:\\Program Files\\Quaysail\\' ||
      fail "in use: exit code 3010, but nothing of ours is pending for the restart" ;;
  *) fail "in use: the setup exited $status" ;;
esac
# A file that could be moved aside is replaced at once.
for f in Quaysail.exe Beaconry.dll; do
  if [ -e "$installed/$f.old" ]; then
    cmp -s "$stage/$f" "$installed/$f" || fail "in use: $f was moved aside, but the new one is not in its place"
  fi
done
win "$press" 1000 60 >/dev/null || fail "in use: the question could not be answered"
wait "$job" || fail "in use: the job exited $?: $(cat "$work/busy.log")"
cmp -s "$busy/報告.bin" "$busy/dst/報告.bin" || fail "in use: the job's copy differs from its source"
if [ $restart = 1 ]; then
  # The restart: Wine's wineboot carries out what is pending for it as Windows does.
  wineboot -r >/dev/null 2>&1
fi
check_installed in-use "$default_dir"
ok "in use: the job went on, the new files are in place (exit code $status, restart $restart)"

uninstall "$default_dir"
check_removed uninstall "$default_dir"
same_registry uninstall before after-uninstall
ok "uninstall: no file, no service, the registry as before the install"

# An upgrade, into the folder /D= gave the version before: the same setup script made
# with an older version number and the same files, installed first.
old_setup=$work/QuaysailSetup-0.9.0.exe
handler_define=()
[ "$handler" = 1 ] && handler_define=(-DQUAY_HANDLER)
makensis -V1 -INPUTCHARSET UTF8 -DQUAY_VERSION=0.9.0 -DQUAY_VERSION_FOUR=0.9.0.0 \
  -DQUAY_PRODUCT_NAME=Quaysail -DQUAY_PUBLISHER=Tidewell -DQUAY_STAGE="$stage" \
  -DQUAY_OUTFILE="$old_setup" -DQUAY_ICON="$root/copytool/ui/res/Quaysail.ico" "${handler_define[@]}" \
  "$root/installer/Quaysail.nsi" >/dev/null || fail "upgrade: cannot make the older setup"
other_dir='C:\Quay ツール'
setup "$old_setup" "/D=$other_dir"
registry older
[ "$(value older "$uninstall_key" DisplayVersion)" = 0.9.0 ] || fail "upgrade: the older version is not installed"
setup "$setup"
check_installed upgrade "$other_dir"
[ ! -e "$(linux_path "$default_dir")" ] || fail "upgrade: went into $default_dir instead of the installed folder"
ok "upgrade: from 0.9.0 to $version in the folder /D= chose (blank and Japanese in its name)"

uninstall "$other_dir"
check_removed uninstall-other "$other_dir"
same_registry uninstall-other before after-uninstall-other
ok "uninstall from the folder /D= chose: nothing left"

echo "$passed passed, 0 failed"
