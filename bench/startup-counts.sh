#!/usr/bin/env bash
# bench/startup-counts.sh [QUAYSAIL.EXE] — what the copy tool does between its start and its
# exit for a folder with one small file, in counts rather than time, so that it can be
# measured on a loaded machine: the libraries it loads, and the requests its threads send
# to the Wine server (every wait, event, file open, registry read, window message and
# service query is one) in all and within each start-up step.
#
# The steps are the calls the program makes once, each traced from its call to its return
# on the main thread (Wine's relay trace, limited to these functions through
# HKCU\Software\Wine\Debug\RelayInclude of a prefix of its own); requests made between
# the steps, by the loader or the C runtime, are counted under "between steps".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
exe=$(realpath -m "${1:-$build/x64/copytool/app/Quaysail.exe}")
prefix=$build/x64/wineprefix-counts
[ -f "$exe" ] || { echo "startup-counts: $exe is missing" >&2; exit 2; }

steps=(
  comctl32.InitCommonControlsEx ole32.CoInitialize kernel32.LoadLibraryW kernelbase.LoadLibraryW
  kernel32.SetThreadExecutionState kernelbase.GetFullPathNameW
  kernel32.GetVolumeInformationW kernelbase.GetVolumeInformationW
  kernel32.GetVolumePathNameW kernelbase.GetVolumePathNameW
  kernel32.GetVolumeNameForVolumeMountPointW kernelbase.GetVolumeNameForVolumeMountPointW
  kernel32.GetDriveTypeW kernelbase.GetDriveTypeW
  setupapi.SetupDiGetClassDevsW setupapi.SetupDiEnumDeviceInterfaces cfgmgr32.CM_Locate_DevNodeW
  advapi32.OpenSCManagerW sechost.OpenSCManagerW advapi32.OpenServiceW sechost.OpenServiceW
  advapi32.QueryServiceStatus sechost.QueryServiceStatus
  kernel32.WaitNamedPipeW kernelbase.CreateFileW kernel32.Sleep kernelbase.Sleep
  user32.CreateDialogParamW user32.GetMessageW user32.DispatchMessageW user32.IsDialogMessageW
  kernel32.FreeLibrary kernelbase.FreeLibrary ole32.CoUninitialize
)
"$root/scripts/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
include=$(IFS=';'; echo "${steps[*]}")
WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d "$include" /f \
  >/dev/null 2>&1
WINEDEBUG=-all wineserver -k 2>/dev/null || true
work=$(mktemp -d /var/tmp/quaycounts.XXXXXX)
trace=$work/trace
# The requests are traced by the server (-d1), into the same file as the program's own
# trace, appended line by line in the order they happen.
wineserver -f -p -d1 </dev/null >/dev/null 2>>"$trace" &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true; rm -rf "$work"' EXIT
WINEDEBUG=-all wine cmd /c exit </dev/null >/dev/null 2>&1 || true

mkdir -p "$work/src/one" "$work/dst"
head -c 4096 /dev/urandom >"$work/src/one/a.txt"
ln -sfn "$work/src" "$prefix/dosdevices/s:"
ln -sfn "$work/dst" "$prefix/dosdevices/u:"
# A warm run first: the counts are those of a program whose libraries are in the page
# cache and whose prefix has seen it before.
WINEDEBUG=-all wine "$exe" 'S:\one' 'U:\' </dev/null >/dev/null 2>&1 || true
rm -rf "$work/dst/one"
: >"$trace"
WINEDEBUG=+loaddll,+relay wine "$exe" 'S:\one' 'U:\' </dev/null >/dev/null 2>>"$trace" || true
cmp -s "$work/src/one/a.txt" "$work/dst/one/a.txt" || echo "startup-counts: the copy is wrong" >&2

python3 - "$trace" <<'PY'
import re, sys, collections
main = None
loads = []
per_step = collections.OrderedDict()
total = 0
stack = []   # open steps on the main thread
for line in open(sys.argv[1], errors='replace'):
    m = re.match(r'([0-9a-f]{4}):(Call|Ret)\s+(\S+)', line)
    if m:
        tid, kind, name = m.groups()
        if main is None: main = tid
        if tid != main or '(' not in name or name.startswith(('PE', 'TLS', 'window', 'dialog')): continue
        name = name.split('(')[0]
        if kind == 'Call': stack.append(name)
        elif stack and stack[-1] == name: stack.pop()
        continue
    m = re.search(r'loaddll:\S+ Loaded L"([^"]+)"', line)
    if m:
        loads.append(m.group(1).split('\\')[-1]); continue
    # A request; its reply is the line "NNNN: name() = status { ... }".
    m = re.match(r'([0-9a-f]{4}): (\w+)\(', line)
    if m and ') = ' not in line:
        tid, req = m.groups()
        total += 1
        if main is None or tid == main:
            step = stack[0] if stack else 'main thread, outside these steps'
        else:
            step = 'other threads and processes'
        per_step.setdefault(step, collections.Counter())[req] += 1
print('libraries loaded: %d' % len(loads))
print('  ' + ' '.join(loads))
print('server requests: %d' % total)
for step, c in per_step.items():
    top = ', '.join('%s %d' % kv for kv in c.most_common(4))
    print('  %-44s %6d  (%s)' % (step, sum(c.values()), top))
PY
