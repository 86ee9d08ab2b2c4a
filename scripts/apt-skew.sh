# shellcheck shell=bash
# Sourced by install-deps.sh: what to do when an index failed its check while others are whole
# (say a stale i386 index the mirror keeps serving). Then a "Multi-Arch: same" library that
# amd64 holds at a version from that release cannot be matched on i386, and an install that
# adds i386 packages fails to resolve. The way out taken here: for that one install, prefer
# versions from the whole indexes (so both architectures can agree), and say which amd64
# packages that moves away from their usual version, and why.
#
# The functions only read apt's printed output (given as files), so they run without apt or
# a network; tests/scripts/apt_skew_test.sh feeds them recorded output, and
# tests/scripts/apt_skew_archive_test.sh runs them against apt and a small local archive.

# skew_failed_indexes CONFIGURED PRESENT
#   CONFIGURED: `apt-get indextargets --no-release-info 'Identifier: Packages'` (every target);
#   PRESENT: `apt-get indextargets 'Identifier: Packages'` (the targets that have a list).
#   Prints "SITE RELEASE/COMPONENT ARCH" for each required index that has no list. (apt keeps
#   a release's lists from an earlier update when one of its indexes fails, or has none of
#   that release when there were none before.)
skew_failed_indexes() {
  awk '
    BEGIN { RS = ""; FS = "\n" }
    function field(name,   i) {
      for (i = 1; i <= NF; i++)
        if (index($i, name ": ") == 1) return substr($i, length(name) + 3)
      return ""
    }
    FILENAME == ARGV[1] && field("Optional") != "yes" {
      wanted[field("URI")] = field("Site") " " field("Release") "/" field("Component") " " \
                             field("Architecture")
    }
    FILENAME == ARGV[2] { present[field("URI")] = 1 }
    END { for (uri in wanted) if (!(uri in present)) print wanted[uri] }' "$1" "$2" | sort
}

# skew_preferences CONFIGURED PRESENT
#   Prints an apt preferences file: every release and component whose indexes are all whole
#   at priority 1001 (above installed versions, so a version there may replace a newer
#   installed one), each one with a failed index at 100 (no more than what is installed).
skew_preferences() {
  local failed
  failed=$(skew_failed_indexes "$1" "$2")
  awk -v failed="$failed" '
    BEGIN {
      RS = ""; FS = "\n"
      n = split(failed, lines, "\n")
      for (i = 1; i <= n; i++) { split(lines[i], f, " "); skewed[f[1] " " f[2]] = 1 }
    }
    function field(name,   i) {
      for (i = 1; i <= NF; i++)
        if (index($i, name ": ") == 1) return substr($i, length(name) + 3)
      return ""
    }
    function add(pin, key, value) {
      if (value == "") return pin
      return pin (pin == "" ? "" : ",") key "=" value
    }
    {
      key = field("Site") " " field("Release") "/" field("Component")
      pin = add("", "o", field("Origin"))
      pin = add(pin, "l", field("Label"))
      pin = add(pin, "a", field("Suite"))
      pin = add(pin, "n", field("Codename"))
      pin = add(pin, "c", field("Component"))
      if (key in seen || pin == "") next
      seen[key] = 1
      printf "Package: *\nPin: release %s\nPin-Priority: %d\n\n", pin, (key in skewed) ? 100 : 1001
    }' "$2"
}

# skew_report FAILED SIMULATION POLICY
#   FAILED: skew_failed_indexes output; SIMULATION: `apt-get -s install` with the preferences
#   above; POLICY: `apt-cache policy` without them, for the simulation's package names (plain
#   names, so the amd64 record). Prints one line for each amd64 or all package the install
#   puts at another version than its usual candidate, one line naming those that only move to
#   their usual candidate (as any install would move them), one naming the i386 packages that
#   stay below a version the failed index's release offers for amd64, and one line per package
#   the install would remove. Returns 1 when the install would remove any package.
skew_report() {
  awk '
    FILENAME == ARGV[1] { part = 1 }  # (not FNR == 1: the first file may be empty)
    FILENAME == ARGV[2] { part = 2 }
    FILENAME == ARGV[3] { part = 3 }
    part == 1 { k = $1 " " $2; had = (k in failed); failed[k] = had ? failed[k] " and " $3 : $3; next }
    part == 2 && ($1 == "Inst" || $1 == "Remv") {
      name = $2; arch = ""
      if (name ~ /:/) { arch = name; sub(/^[^:]*:/, "", arch); sub(/:.*/, "", name) }
      old = ""
      if ($3 ~ /^\[/) { old = $3; gsub(/\[|\]/, "", old) }
      if ($1 == "Remv") { removed[++nremoved] = name (arch == "" ? "" : ":" arch) " " old; next }
      rest = $0; sub(/^[^(]*\(/, "", rest)
      split(rest, v, " "); new = v[1]
      if (arch == "" && match(rest, /\[[a-z0-9]+\]\)/)) arch = substr(rest, RSTART + 1, RLENGTH - 3)
      order[++ninst] = name; instArch[ninst] = arch; instOld[ninst] = old; instNew[ninst] = new
      next
    }
    part == 3 && /^[^ ].*:$/ {
      pkg = $0; sub(/:$/, "", pkg); sub(/:amd64$/, "", pkg); inCandidate = 0; next
    }
    part == 3 && $1 == "Candidate:" { candidate[pkg] = $2; next }
    part == 3 && /^( \*\*\* |     [^ ])/ {  # a version of the table; its sources follow, indented
      version = ($1 == "***") ? $2 : $1
      inCandidate = (version == candidate[pkg]); next
    }
    part == 3 && inCandidate && $2 ~ /^[a-z][a-z0-9+.-]*:/ && !(pkg in source) {  # a URI
      source[pkg] = $2 " " $3; next
    }
    function why(pkg,   key, where) {
      key = source[pkg]; where = key; sub(/^[^ ]* /, "", where)
      if (key == "")
        return "that is in no index apt holds now, only installed"
      if (key in failed)
        return "that comes from " where ", whose " failed[key] " index failed its check, so no i386 copy can match it"
      return "that comes from " where
    }
    END {
      status = 0
      for (i = 1; i <= nremoved; i++) {
        print "install-deps.sh: " removed[i] " would be removed"; status = 1
      }
      usual = ""; nusual = 0; below = ""; nbelow = 0
      for (i = 1; i <= ninst; i++) {
        name = order[i]; arch = instArch[i]; old = instOld[i]; new = instNew[i]
        c = candidate[name]
        if (arch == "i386") {
          if (c != "" && c != new && (source[name] in failed)) {
            below = below (nbelow++ ? ", " : "") name " " new " (amd64 " c ")"
          }
          continue
        }
        if (c == "" || c == new) {
          if (old != "") usual = usual (nusual++ ? ", " : "") name
          continue
        }
        label = name ":" arch
        if (old == "")
          print "install-deps.sh: " label " is installed at " new ", not " c ": " why(name)
        else if (old == c)
          print "install-deps.sh: " label " moves down from " old " to " new ": " why(name)
        else
          print "install-deps.sh: " label " moves from " old " to " new ", not to " c ": " why(name)
      }
      if (nusual)
        print "install-deps.sh: " nusual " amd64 packages move to their usual candidate, as the same install from whole indexes would: " usual
      if (nbelow)
        print "install-deps.sh: " nbelow " i386 packages are installed below the version offered for amd64 by a release whose i386 index failed its check: " below
      exit status
    }' "$1" "$2" "$3"
}
