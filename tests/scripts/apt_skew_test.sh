#!/usr/bin/env bash
# scripts/apt-skew.sh fed with apt's output recorded on a machine where the security
# archive's i386 index was served stale (apt-get update: "File has unexpected size (374820 !=
# 376004)"): which index failed, the pins, and the report of what the pinned install moves.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/apt-skew.sh"
data=$here/apt_skew
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect NAME EXPECTED ACTUAL
expect() {
  if [ "$2" != "$3" ]; then
    echo "FAIL $1"
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/  /'
    failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}

configured=$data/indextargets-configured.txt
present=$data/indextargets-present.txt

# Which index failed: each required index without a list; with every index listed, none. A
# release none of whose lists apt holds (dropped whole, or its Release file failed) counts
# with each of its indexes. The optional binary-all indexes, which Debian does not publish,
# never count.
awk 'BEGIN { RS = ""; ORS = "\n\n" } !/Optional: yes/' "$configured" >"$work/all-present"
awk 'BEGIN { RS = ""; ORS = "\n\n" } !/debian-security/' "$present" >"$work/no-security"
while IFS='|' read -r name present_file want; do
  want=${want//;/$'\n'}
  expect "failed indexes: $name" "$want" "$(skew_failed_indexes "$configured" "$present_file")"
done <<EOF
stale security i386 index|$present|http://deb.debian.org/debian-security bookworm-security/main i386
whole archive|$work/all-present|
no security lists|$work/no-security|http://deb.debian.org/debian-security bookworm-security/main amd64;http://deb.debian.org/debian-security bookworm-security/main i386
EOF

expect "preferences: whole releases above installed versions, the skewed one at 100" \
"Package: *
Pin: release o=Debian,l=Debian,a=oldstable,n=bookworm,c=main
Pin-Priority: 1001

Package: *
Pin: release o=Debian,l=Debian,a=oldstable-updates,n=bookworm-updates,c=main
Pin-Priority: 1001

Package: *
Pin: release o=Debian,l=Debian-Security,a=oldstable-security,n=bookworm-security,c=main
Pin-Priority: 100" "$(skew_preferences "$configured" "$present")"

skew_failed_indexes "$configured" "$present" >"$work/failed"
: >"$work/none-failed"
# A version that comes from the failed release names it; one that only moves to its usual
# candidate (logsave, libgcrypt20) is listed once; new packages at their candidate
# (libz-mingw-w64) and i386-only ones (wine32) say nothing.
why="that comes from bookworm-security/main, whose i386 index failed its check, so no i386 copy can match it"
expect "report: recorded install" \
"install-deps.sh: libssl3:amd64 moves from 3.0.19-1~deb12u2 to 3.0.20-1~deb12u2, not to 3.0.22-1~deb12u2: $why
install-deps.sh: libpcre2-8-0:amd64 moves down from 10.42-1+deb12u2 to 10.42-1: $why
install-deps.sh: 2 amd64 packages move to their usual candidate, as the same install from whole indexes would: logsave, libgcrypt20
install-deps.sh: 2 i386 packages are installed below the version offered for amd64 by a release whose i386 index failed its check: libpcre2-8-0 10.42-1 (amd64 10.42-1+deb12u2), libssl3 3.0.20-1~deb12u2 (amd64 3.0.22-1~deb12u2)" \
"$(skew_report "$work/failed" "$data/simulation.txt" "$data/policy.txt")"

sed 's/^Inst libssl3 \[3.0.19-1~deb12u2\] /Inst libssl3 /' "$data/simulation.txt" >"$work/new-libssl3"
expect "report: a new amd64 package below its candidate" \
"install-deps.sh: libssl3:amd64 is installed at 3.0.20-1~deb12u2, not 3.0.22-1~deb12u2: $why" \
"$(skew_report "$work/failed" "$work/new-libssl3" "$data/policy.txt" | grep 'libssl3:amd64')"

expect "report: a candidate from a whole release is named without blaming an index" \
"install-deps.sh: libssl3:amd64 moves from 3.0.19-1~deb12u2 to 3.0.20-1~deb12u2, not to 3.0.22-1~deb12u2: that comes from bookworm-security/main" \
"$(skew_report "$work/none-failed" "$data/simulation.txt" "$data/policy.txt" | grep 'libssl3')"

{ cat "$data/simulation.txt"; echo "Remv libpcre2-32-0 [10.42-1+deb12u2]"; } >"$work/removes"
report=$(skew_report "$work/failed" "$work/removes" "$data/policy.txt")
expect "report: an install that removes a package is refused" \
"1 install-deps.sh: libpcre2-32-0 10.42-1+deb12u2 would be removed" \
"$? $(printf '%s\n' "$report" | grep removed)"
skew_report "$work/failed" "$data/simulation.txt" "$data/policy.txt" >/dev/null
expect "report: an install that removes nothing is accepted" 0 $?

if [ $failures -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "all passed"
