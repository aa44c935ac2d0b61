#!/usr/bin/env bash
# Builds the Debian package from a build tree with CPack, unpacks it into a temporary root and
# checks what an installation gets: every file in its place, dependencies found by
# dpkg-shlibdeps, no lintian error, a desktop entry and AppStream metadata that validate, and a
# vornak-batch that works from the unpacked tree. Both menu entries, the worksheet's and the
# norms study's, are checked.
# Usage: check_package.sh BUILD_DIR VERSION APP_ID EXPECTED_REPORT
set -euo pipefail
build_dir=$1 version=$2 app_id=$3 expected_report=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build_dir" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"
root=$work/root

status=0
fail() { echo "FAIL: $*"; status=1; }

for file in \
    usr/bin/Vornak usr/bin/vornak-batch \
    "usr/share/applications/$app_id.desktop" "usr/share/applications/$app_id.Study.desktop" \
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    "usr/share/metainfo/$app_id.metainfo.xml" \
    usr/share/man/man1/Vornak.1.gz usr/share/man/man1/vornak-batch.1.gz \
    usr/share/doc/vornak/copyright usr/share/doc/vornak/changelog.gz \
    usr/share/doc/vornak/examples/memory_test_n250.txt \
    usr/share/doc/vornak/examples/reading_scale_n4200.txt; do
  [[ -f "$root/$file" ]] || fail "missing /$file"
done

# Errors only: warnings may come with a newer lintian, and scripts/package shows them.
lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian"; }

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libqt6core6 libcups2; do
  [[ "$depends" == *"$library ("* ]] || fail "Depends lacks $library: $depends"
done
grep -q '^License: GPL-3.0-or-later$' "$root/usr/share/doc/vornak/copyright" ||
  fail "copyright names no GPL-3.0-or-later"

# Hints are advice, such as the two main categories Education and Science; anything else fails.
for entry in "$app_id.desktop" "$app_id.Study.desktop"; do
  entry_check=$(desktop-file-validate "$root/usr/share/applications/$entry") ||
    fail "desktop entry $entry"
  grep -v -e ': hint: ' -e '^$' <<<"$entry_check" && fail "desktop entry $entry"
done
grep -q '^Exec=Vornak --study %f$' "$root/usr/share/applications/$app_id.Study.desktop" ||
  fail "the study entry does not start Vornak --study"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >"$work/as" ||
  { cat "$work/as"; fail "AppStream metadata"; }

# Without a display, as in a terminal on a server.
[[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/Vornak" --version)" == "Vornak $version" ]] ||
  fail "Vornak --version"
batch=$root/usr/bin/vornak-batch
[[ "$("$batch" --version)" == "Vornak $version" ]] || fail "vornak-batch --version"
example=$root/usr/share/doc/vornak/examples/memory_test_n250.txt
LC_ALL=C "$batch" 0 30 250 "$example" >"$work/report" || fail "vornak-batch on the example"
sed "s|@DATA_FILE@|$example|" "$expected_report" | cmp - "$work/report" ||
  fail "the report differs from $expected_report"
exit $status
