#!/usr/bin/env bash
# Builds the Debian package from a Release build of its own, installs it into this machine with
# dpkg -i, checks the installed copy, and removes it again (also when a check fails).
#   - the package: both programs, desktop entry, metainfo, icons, man pages, completion, notes,
#     copyright and changelog; its dependencies worked out from the binaries; lintian (when
#     installed) reports no error and no warning
#   - desktop-file-validate, appstreamcli validate, the man pages through man
#   - quorvanta-cli --version and ports from /usr/bin
#   - the installed window, run offscreen by an ordinary user (the program folder /usr/bin is
#     read-only to them), keeps its settings and exports in that user's folders
# Usage: scripts/package_check.sh   (as root, or a user who may sudo)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-deb"
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"

cmake -S "$here" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DQV_SANITIZE=OFF -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target quorvanta quorvanta-cli man_pages
rm -f "$build"/quorvanta_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^#define QV_VERSION "\(.*\)"$/\1/p' "$build/generated/quorvanta_version.h")
deb="$build/quorvanta_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package check: $deb was not made" >&2; exit 1; }
echo "Package: $deb"

fail() { echo "package check: $*" >&2; exit 1; }

# What the package holds and needs.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
app_id=org.example.quorvanta.Quorvanta
expected=(/usr/bin/quorvanta /usr/bin/quorvanta-cli
          /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml
          /usr/share/icons/hicolor/scalable/apps/quorvanta.svg /usr/share/mime/packages/quorvanta.xml
          /usr/share/man/man1/quorvanta.1.gz /usr/share/man/man1/quorvanta-cli.1.gz
          /usr/share/bash-completion/completions/quorvanta-cli /usr/share/doc/quorvanta/README.Debian)
for size in 16 22 24 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${size}x$size/apps/quorvanta.png"); done
for f in "${expected[@]}"; do grep -qx "$f" <<<"$contents" || fail "the package lacks $f"; done
if grep -E -q '/(phone_emu|demo_model|test_|bench_)|quorvanta-(phone-emu|demo-model)' <<<"$contents"; then
  fail "the package holds development programs"
fi
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6widgets6 libqt6serialport6 zlib1g; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
if readelf -d "$build/bin/quorvanta-cli" 2>/dev/null | grep -q asan; then fail "a sanitizer build was packaged"; fi
for f in /usr/share/doc/quorvanta/copyright /usr/share/doc/quorvanta/changelog.gz; do
  grep -qx "$f" <<<"$contents" || fail "the package lacks $f"
done

# Debian's own package checker: no error and no warning (informational notes are shown).
if command -v lintian >/dev/null; then
  report=$(lintian "$deb" 2>&1) || true
  [ -z "$report" ] || sed 's/^/  lintian: /' <<<"$report"
  if grep -q '^[EW]: ' <<<"$report"; then fail "lintian reports errors or warnings"; fi
  echo "lintian: no error, no warning"
else
  echo "lintian: not installed, skipped (apt-get install lintian)"
fi

# Installed into the machine; removed again however the checks end.
installed=0
remove() {
  if [ "$installed" -eq 1 ]; then
    $sudo dpkg -r quorvanta >/dev/null && echo "Removed the package" || echo "package check: dpkg -r failed" >&2
  fi
  [ -n "${scratch:-}" ] && rm -rf "$scratch"
}
trap remove EXIT
$sudo dpkg -i "$deb" >/dev/null
installed=1
echo "Installed the package"

[ "$(/usr/bin/quorvanta-cli --version)" = "quorvanta-cli $version" ] || fail "quorvanta-cli --version"
[ "$(/usr/bin/quorvanta --version)" = "quorvanta $version" ] || fail "quorvanta --version"
ports=$(/usr/bin/quorvanta-cli ports) || fail "quorvanta-cli ports failed"
[[ $(tr -d ' \n' <<<"$ports") =~ ^\[.*\]$ ]] || fail "quorvanta-cli ports is no JSON list: $ports"
echo "quorvanta-cli ports: $(tr -d ' \n' <<<"$ports" | cut -c1-120)"

desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
  { appstreamcli validate --no-net --pedantic "/usr/share/metainfo/$app_id.metainfo.xml"; fail "appstreamcli validate"; }
if command -v man >/dev/null; then
  for page in quorvanta quorvanta-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $page: $warnings"
  done
fi
bash -n /usr/share/bash-completion/completions/quorvanta-cli

# The installed window, run by an ordinary user with a home of its own: /usr/bin is read-only
# to them, so the settings and exports go to their per-user folders. SIGTERM closes the window
# as its close button does, which saves the settings.
scratch=$(mktemp -d)
chmod 755 "$scratch"
home="$scratch/home"
mkdir -p "$home"
chown nobody "$home"
chmod 700 "$home"
as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups
         env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
             XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen)
[ "$(id -u)" -eq 0 ] || as_user=(env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" QT_QPA_PLATFORM=offscreen)
paths=$("${as_user[@]}" /usr/bin/quorvanta --paths)
echo "$paths" | sed 's/^/  /'
grep -qx "settings  $home/config/Quorvanta/setting.ini" <<<"$paths" || fail "settings are not per user"
grep -qx "exports   $home/data/Quorvanta" <<<"$paths" || fail "exports are not per user"
grep -qx "backups   $home/data/Quorvanta" <<<"$paths" || fail "backups are not per user"
[ -d "$home/data/Quorvanta" ] || fail "the per-user data folder was not made"

rm -rf "$home/config"
"${as_user[@]}" /usr/bin/quorvanta &
window=$!
for _ in $(seq 100); do [ -d "$home/config/Quorvanta" ] && break; sleep 0.1; done
[ -d "$home/config/Quorvanta" ] || { kill "$window"; fail "the installed window did not start"; }
kill -TERM "$window"
for _ in $(seq 300); do kill -0 "$window" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$window" 2>/dev/null; then kill -KILL "$window"; fail "the installed window did not close on SIGTERM"; fi
wait "$window" || fail "the installed window did not close cleanly on SIGTERM"
[ -f "$home/config/Quorvanta/setting.ini" ] || fail "the installed window did not save $home/config/Quorvanta/setting.ini"
[ ! -e /usr/bin/setting.ini ] || fail "the installed window wrote /usr/bin/setting.ini"
echo "Installed window: settings saved in $home/config/Quorvanta/setting.ini"
echo "Package check passed"
