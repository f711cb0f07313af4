#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user meets it: lintian finds no error, apt
# installs it, the installed program starts and ends on SIGTERM, the installed menu entry and
# metainfo validate, and a purge leaves nothing of it behind. Installs and purges the package on
# this machine (through sudo when not run as root): an orvane package installed before is purged
# too. Run by `scripts/quickstart.sh test`.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@"; }
is_installed() { dpkg-query -W -f='${Status}' orvane 2>/dev/null | grep -q 'install ok installed'; }
fail() {
  echo "package check: $*" >&2
  exit 1
}

started=$SECONDS
scripts/quickstart.sh package

# The version is written once, in project(); what users read elsewhere must name the same one:
# the newest release in the metainfo (software centres show it), the Debian changelog's newest
# entry, and every version the README names.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
[ -n "$version" ] || fail "no project version in build/CMakeCache.txt"
metainfo_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' data/app.orvane.Orvane.metainfo.xml |
  head -n 1)
[ "$metainfo_version" = "$version" ] ||
  fail "the metainfo's newest release is \"$metainfo_version\", the project's version $version"
changelog_version=$(sed -n '1s/^orvane (\([^)]*\)).*/\1/p' cmake/debian/changelog)
[ "$changelog_version" = "$version" ] ||
  fail "the Debian changelog's newest entry is \"$changelog_version\", the project's version $version"
readme_versions=$(grep -oE '(orvane_|Orvane )[0-9]+\.[0-9]+(\.[0-9]+)?' README.md | sort -u)
while IFS= read -r named; do
  [ "${named#* }" = "$version" ] || [ "${named#orvane_}" = "$version" ] ||
    fail "the README names \"$named\", the project's version is $version"
done <<<"$readme_versions"
deb=build/orvane_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb: $(ls build/*.deb)"

echo "== Contents"
# Files only: the program and its data, nothing of the tests or benchmarks, all owned by root.
contents=$(dpkg-deb -c "$deb")
echo "$contents"
actual=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sort)
expected=$(sort <<'EOF'
./usr/bin/orvane
./usr/share/applications/app.orvane.Orvane.desktop
./usr/share/doc/orvane/changelog.gz
./usr/share/doc/orvane/copyright
./usr/share/icons/hicolor/scalable/apps/app.orvane.Orvane.svg
./usr/share/man/man1/orvane.1.gz
./usr/share/metainfo/app.orvane.Orvane.metainfo.xml
EOF
)
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the package's files differ from the expected list (< expected, > packed)"
fi
not_root=$(awk '$2 != "root/root"' <<<"$contents")
[ -z "$not_root" ] || fail "entries not owned by root: $not_root"

echo "== Control"
dpkg-deb -f "$deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
# ca-certificates and fonts-wine are named by hand; a Qt library shows that shlibdeps ran.
for package in ca-certificates fonts-wine libqt6widgets6 libqt6svg6; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

echo "== lintian"
# Exits non-zero on any error; warnings and pedantic notes are printed for the reader.
lintian --fail-on error --info --display-info --pedantic "$deb"

if is_installed; then
  echo "Purging the orvane package installed before the check"
  apt_get purge orvane
fi

program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  if is_installed; then
    echo "package check: purging the package after a failure" >&2
    apt_get purge orvane >&2 || true
  fi
}
trap cleanup EXIT

echo "== Install"
apt_get install "./$deb"
is_installed || fail "dpkg does not list orvane as installed"
files=$(dpkg -L orvane)

echo "== --version and --help"
answer=$(cd / && /usr/bin/orvane --version) || fail "/usr/bin/orvane --version failed"
[ "$answer" = "Orvane $version" ] || fail "/usr/bin/orvane --version says \"$answer\", not \"Orvane $version\""
(cd / && /usr/bin/orvane --help) | grep -q -- "--version" || fail "/usr/bin/orvane --help lists no --version"
echo "$answer"

echo "== Start"
# Away from the source tree, so nothing of it can stand in for an installed file.
log=$(mktemp)
(cd / && exec env QT_QPA_PLATFORM=offscreen /usr/bin/orvane) >"$log" 2>&1 &
program_pid=$!
sleep 2
if ! kill -0 "$program_pid" 2>/dev/null; then
  status=0
  wait "$program_pid" || status=$?
  program_pid=""
  cat "$log" >&2
  fail "/usr/bin/orvane ended within 2 s (exit status $status)"
fi
kill -TERM "$program_pid"
for _ in $(seq 50); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && { cat "$log" >&2; fail "/usr/bin/orvane outlived SIGTERM by 5 s"; }
status=0
wait "$program_pid" || status=$?
program_pid=""
cat "$log"
rm -f "$log"
# 143: ended by the signal itself.
[ "$status" = 0 ] || [ "$status" = 143 ] || fail "/usr/bin/orvane ended on SIGTERM with status $status"
echo "/usr/bin/orvane ran 2 s and ended on SIGTERM (status $status)"

echo "== Installed desktop entry and metainfo"
desktop_file=$(grep -x '/usr/share/applications/.*\.desktop' <<<"$files")
installed_metainfo=$(grep -x '/usr/share/metainfo/.*\.metainfo\.xml' <<<"$files")
desktop-file-validate "$desktop_file"
appstreamcli validate --no-net "$installed_metainfo"

echo "== Purge"
apt_get purge orvane
is_installed && fail "orvane is still installed after the purge"
if dpkg-query -W orvane >/dev/null 2>&1; then
  fail "dpkg still knows orvane: $(dpkg-query -W -f='${Status}' orvane)"
fi
# Directories may stay when another package owns them too (/usr/share/applications, ...).
left=()
while IFS= read -r path; do
  if [ "$path" = /. ]; then
    continue
  elif [ -d "$path" ] && [ ! -L "$path" ]; then
    dpkg-query -S "$path" >/dev/null 2>&1 || left+=("$path")
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left+=("$path")
  fi
done <<<"$files"
((${#left[@]} == 0)) || fail "left behind by the purge: ${left[*]}"
trap - EXIT

echo "Package check passed in $((SECONDS - started)) s: $deb"
