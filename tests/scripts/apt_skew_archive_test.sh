#!/usr/bin/env bash
# scripts/apt-skew.sh against apt itself, with no network beyond this machine: a small archive
# served over HTTP on 127.0.0.1 whose security release serves an i386 index of another size
# than its Release file says (as a stale mirror does; apt keeps that release's other indexes
# then, unlike after a hash mismatch, which drops the whole release), and an amd64
# side that holds a security version of a "Multi-Arch: same" library. apt-get update must
# fail on that index, the plain install of an i386 program must fail to resolve, and with the
# pins it must resolve by moving that library to the version both architectures' whole
# indexes offer, leaving unrelated packages alone. With the index whole, nothing counts as
# failed and the plain install resolves by itself.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/apt-skew.sh"
work=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server"; rm -rf "$work"' EXIT
failures=0
check() {  # check NAME CONDITION-STATUS [DETAIL-FILE]
  if [ "$2" -eq 0 ]; then
    echo "ok   $1"
  else
    echo "FAIL $1"
    [ -n "${3:-}" ] && sed 's/^/  /' "$3"
    failures=$((failures + 1))
  fi
}

# stanza NAME VERSION ARCH [DEPENDS]: a Packages entry (apt -s never fetches the file).
stanza() {
  printf 'Package: %s\nVersion: %s\nArchitecture: %s\nMulti-Arch: same\n' "$1" "$2" "$3"
  [ -n "${4:-}" ] && printf 'Depends: %s\n' "$4"
  printf 'Filename: pool/%s_%s_%s.deb\nSize: 1000\nDescription: test\n\n' "$1" "$2" "$3"
}
# release DIR ORIGIN LABEL SUITE CODENAME: a Release file listing the indexes under DIR.
release() {
  local dir=$1
  {
    printf 'Origin: %s\nLabel: %s\nSuite: %s\nCodename: %s\n' "$2" "$3" "$4" "$5"
    printf 'Date: Mon, 07 Dec 2026 23:22:40 UTC\nArchitectures: amd64 i386\nComponents: main\nSHA256:\n'
    (cd "$dir" && for f in main/binary-*/Packages; do
       printf ' %s %s %s\n' "$(sha256sum <"$f" | cut -d' ' -f1)" "$(stat -c %s "$f")" "$f"
     done)
  } >"$dir/Release"
}

archive=$work/archive
main=$archive/debian/dists/bookworm
security=$archive/debian-security/dists/bookworm-security
mkdir -p "$main"/main/binary-{amd64,i386} "$security"/main/binary-{amd64,i386}
for arch in amd64 i386; do
  { stanza libfoo 1.0-1 $arch; stanza libbar 2.0-1 $arch; stanza libbaz 3.0-1 $arch; } \
    >"$main/main/binary-$arch/Packages"
  { stanza libfoo 1.0-1+deb12u1 $arch; stanza libbar 2.0-1+deb12u1 $arch
    stanza libbaz 3.0-1+deb12u1 $arch; } >"$security/main/binary-$arch/Packages"
done
stanza app 1.0 i386 "libfoo, libbar" >>"$main/main/binary-i386/Packages"
release "$main" Debian Debian oldstable bookworm
release "$security" Debian Debian-Security oldstable-security bookworm-security
# The i386 security index served is an older one than its Release file describes: it lacks
# the libfoo security update.
index=$security/main/binary-i386/Packages
cp "$index" "$work/whole-index"
stanza libbar 2.0-1+deb12u1 i386 >"$index"

# Serve it; Python's server prints the port it was given.
mkdir "$work/server"
python3 -u -m http.server --bind 127.0.0.1 --directory "$archive" 0 >"$work/server/log" 2>&1 &
server=$!
for _ in $(seq 100); do
  port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/server/log")
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "FAIL could not start a local HTTP server"; cat "$work/server/log"; exit 1
fi
url=http://127.0.0.1:$port

# What is installed: libfoo at its security version, needed by an essential package (so apt
# may not remove it), libbar older than both, libbaz (which the install does not need) at its
# security version.
mkdir -p "$work/state/lists/partial" "$work/cache/archives/partial" "$work/etc/preferences.d" \
         "$work/etc/apt.conf.d" "$work/etc/sources.list.d"
while read -r name version; do
  printf 'Package: %s\nStatus: install ok installed\nVersion: %s\nArchitecture: amd64\nMulti-Arch: same\nMaintainer: t\nDescription: t\n\n' "$name" "$version"
done >"$work/status" <<EOF
libfoo 1.0-1+deb12u1
libbar 2.0-0
libbaz 3.0-1+deb12u1
EOF
printf 'Package: base\nEssential: yes\nStatus: install ok installed\nVersion: 1\nArchitecture: amd64\nDepends: libfoo\nMaintainer: t\nDescription: t\n\n' >>"$work/status"
cat >"$work/etc/sources.list" <<EOF
deb [trusted=yes] $url/debian bookworm main
deb [trusted=yes] $url/debian-security bookworm-security main
EOF
# Everything apt reads or writes lives in $work: none of the machine's configuration counts.
cat >"$work/apt.conf" <<EOF
Dir::Etc "$work/etc";
Dir::Etc::Parts "$work/etc/apt.conf.d";
Dir::Etc::Preferences "$work/etc/preferences";
Dir::Etc::PreferencesParts "$work/etc/preferences.d";
Dir::Etc::SourceParts "$work/etc/sources.list.d";
Dir::State "$work/state";
Dir::State::status "$work/status";
Dir::Cache "$work/cache";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
APT::Sandbox::User "root";
Debug::NoLocking "true";
EOF
export APT_CONFIG=$work/apt.conf

# pinned_install FLOW: the pins, the simulated install with them and its report, as
# install-deps.sh makes them; the report lands in $work/report.
pinned_install() {
  ! apt-get -s install app:i386 >"$work/plain" 2>&1
  check "$1: the plain install does not resolve" $? "$work/plain"
  skew_preferences "$work/configured" "$work/present" >"$work/preferences"
  apt-get -s install --allow-downgrades -o Dir::Etc::Preferences="$work/preferences" app:i386 \
    >"$work/pinned" 2>&1
  check "$1: the pinned install resolves" $? "$work/pinned"
  local line
  for line in 'Inst libfoo \[1.0-1+deb12u1\] (1.0-1 ' 'Inst libfoo:i386 (1.0-1 ' \
              'Inst libbar \[2.0-0\] (2.0-1 ' 'Inst libbar:i386 (2.0-1 '; do
    grep -q "^$line" "$work/pinned"
    check "$1: pinned install: $line" $? "$work/pinned"
  done
  ! grep -q '^\(Inst\|Remv\) libbaz' "$work/pinned"
  check "$1: pinned install leaves the package it does not need alone" $? "$work/pinned"
  apt-cache policy libfoo libbar app >"$work/policy"
  skew_report "$work/failed" "$work/pinned" "$work/policy" >"$work/report"
}
lists() {
  apt-get indextargets --no-release-info 'Identifier: Packages' >"$work/configured"
  apt-get indextargets 'Identifier: Packages' >"$work/present"
  skew_failed_indexes "$work/configured" "$work/present" >"$work/failed"
}

# As install-deps.sh does: the lists brought up to date for amd64, then i386 added.
apt-get update -qq -o APT::Architectures=amd64 >"$work/update" 2>&1
check "apt-get update for amd64 alone succeeds" $? "$work/update"
apt-get update -qq >"$work/update" 2>&1
grep -q 'binary-i386/Packages.*unexpected size' "$work/update"
check "apt-get update fails on the stale i386 index" $? "$work/update"
lists
[ "$(cat "$work/failed")" = "$url/debian-security bookworm-security/main i386" ]
check "the stale index is the only one missing" $? "$work/failed"
pinned_install "amd64 lists kept"
why="that comes from bookworm-security/main, whose i386 index failed its check, so no i386 copy can match it"
expected="install-deps.sh: libbar:amd64 moves from 2.0-0 to 2.0-1, not to 2.0-1+deb12u1: $why
install-deps.sh: libfoo:amd64 moves down from 1.0-1+deb12u1 to 1.0-1: $why
install-deps.sh: 2 i386 packages are installed below the version offered for amd64 by a release whose i386 index failed its check: libfoo 1.0-1 (amd64 1.0-1+deb12u1), libbar 2.0-1 (amd64 2.0-1+deb12u1)"
[ "$(sort "$work/report")" = "$(sort <<<"$expected")" ]
check "amd64 lists kept: the report names each move and why" $? "$work/report"

# With no lists before (i386 added first), apt drops the whole security release.
rm -rf "$work/state/lists"/*_*
apt-get update -qq >"$work/update" 2>&1
lists
[ "$(cat "$work/failed")" = "$url/debian-security bookworm-security/main amd64
$url/debian-security bookworm-security/main i386" ]
check "no lists before: both security indexes missing" $? "$work/failed"
pinned_install "no lists before"
expected="install-deps.sh: libfoo:amd64 moves down from 1.0-1+deb12u1 to 1.0-1: that is in no index apt holds now, only installed
install-deps.sh: 1 amd64 packages move to their usual candidate, as the same install from whole indexes would: libbar"
[ "$(sort "$work/report")" = "$(sort <<<"$expected")" ]
check "no lists before: the report names each move and why" $? "$work/report"

# The same archive with the i386 index whole again: nothing failed, the plain install works.
cp "$work/whole-index" "$index"
apt-get update -qq >"$work/update" 2>&1
check "apt-get update succeeds on the whole archive" $? "$work/update"
lists
[ ! -s "$work/failed" ]
check "no failed index on the whole archive" $? "$work/failed"
apt-get -s install app:i386 >"$work/plain" 2>&1
check "the plain install resolves on the whole archive" $? "$work/plain"

if [ $failures -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "all passed"
