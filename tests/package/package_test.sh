#!/usr/bin/env bash
# The Debian package of this build tree (CPack), unpacked with dpkg-deb -x into a temporary
# folder as apt would lay it out: its files, its declared dependencies, its desktop entry, and
# the installed ofertix-tool checking the installed example.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FALHOU: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/dist" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb="$work/dist/ofertix_${version}_amd64.deb"
[ -f "$deb" ] || fail "sem $deb: $(ls "$work/dist")"

depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins qt6-translations-l10n fonts-liberation2; do
  [[ "$depends" == *"$need"* ]] || fail "Depends sem $need: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/ofertix usr/bin/ofertix-tool usr/share/applications/ofertix.desktop \
         usr/share/icons/hicolor/48x48/apps/ofertix.png usr/share/icons/hicolor/256x256/apps/ofertix.png \
         usr/share/doc/ofertix/proposta_00000000000000.TXT; do
  [ -f "$root/$f" ] || fail "o pacote não instala /$f"
done
entry="$root/usr/share/applications/ofertix.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
grep -qx "Exec=ofertix %f" "$entry" || fail "Exec"
grep -qx "Icon=ofertix" "$entry" || fail "Icon"

tool="$root/usr/bin/ofertix-tool"
[ "$("$tool" --version)" = "ofertix-tool $version" ] || fail "ofertix-tool --version: $("$tool" --version)"
[ "$("$root/usr/bin/ofertix" --version)" = "ofertix $version" ] || fail "ofertix --version"
out=$("$tool" verificar "$root/usr/share/doc/ofertix/proposta_00000000000000.TXT") || fail "verificar: $out"
[[ "$out" == "O arquivo foi carregado."* ]] || fail "verificar: $out"
echo "pacote ok: $(basename "$deb")"
