#!/usr/bin/env bash
# The standard-C++ core on Windows: installs what is missing (Debian's mingw-w64 and wine64),
# cross-builds platform/text, platform/data, proposal/ with their tests and ofertix-tool without
# Qt (verificar, regravar, documento) into build-windows/, and runs under Wine, in a fresh Wine
# prefix of its own:
#   - the core's test programs;
#   - a verificar/regravar round trip of the example;
#   - ofertix-tool on every proposal file of the project (examples/, fuzz/corpus/, any fixture
#     file under tests/), against the Linux build of the same tool: the same standard output and
#     error (a CR LF at a line end counts as LF), the same exit code, the same bytes written.
# Qt for Windows is not in Debian, so the windows and "pdf" are not cross-built (docs/WINDOWS.md).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

bash "$ROOT/scripts/install-deps.sh" build-essential cmake ninja-build googletest mingw-w64 wine64

JOBS=$(nproc)
export LC_ALL=C.UTF-8
WINE=/usr/lib/wine/wine64
GTEST_SOURCE=/usr/src/googletest/googletest
start=$SECONDS

# The Linux build of the tool, Qt-free like the Windows one: the reference.
cmake -S . -B build-windows/linux -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DOFX_WITH_QT=OFF -DOFX_GTEST_SOURCE="$GTEST_SOURCE" >/dev/null
cmake --build build-windows/linux -j"$JOBS" --target ofertix-tool

# -O2: GCC 12's -O3 warns falsely (-Wrestrict) inside std::string.
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DOFX_WITH_QT=OFF \
  -DOFX_GTEST_SOURCE="$GTEST_SOURCE" -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE" >/dev/null
cmake --build build-windows -j"$JOBS"
built=$SECONDS

# A Wine prefix of our own, removed at the end with its server; no display, no Mono or Gecko.
WORK=$(mktemp -d)
export WINEPREFIX="$WORK/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "${WINE%/*}/wineserver" -k 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
"$WINE" wineboot -i >/dev/null 2>&1

ctest --test-dir build-windows --output-on-failure

LINUX_TOOL="$ROOT/build-windows/linux/tools/ofertix-tool"
WINDOWS_TOOL="$ROOT/build-windows/tools/ofertix-tool.exe"
failures=0
runs=0

# Runs one command line with both tools, each writing (when it writes) into its own folder under
# the same path, and compares everything. $1: a label; the rest: the arguments, where @OUT@ stands
# for the output folder.
compare() {
  local label=$1
  shift
  local side
  for side in linux windows; do
    rm -rf "$WORK/out"
    mkdir -p "$WORK/out"
    local args=()
    local a
    for a in "$@"; do args+=("${a//@OUT@/$WORK/out}"); done
    local rc=0
    if [ $side = linux ]; then
      "$LINUX_TOOL" "${args[@]}" >"$WORK/$side.stdout" 2>"$WORK/$side.stderr" || rc=$?
    else
      "$WINE" "$WINDOWS_TOOL" "${args[@]}" >"$WORK/$side.stdout" 2>"$WORK/$side.stderr" || rc=$?
      sed -i 's/\r$//' "$WORK/$side.stdout" "$WORK/$side.stderr"
    fi
    echo "$rc" >"$WORK/$side.rc"
    rm -rf "$WORK/$side.files"
    mv "$WORK/out" "$WORK/$side.files"
  done
  runs=$((runs + 1))
  local what
  for what in stdout stderr rc; do
    if ! cmp -s "$WORK/linux.$what" "$WORK/windows.$what"; then
      echo "DIFERENTE ($what): $label" >&2
      diff <(od -c "$WORK/linux.$what") <(od -c "$WORK/windows.$what") | head -20 >&2 || true
      failures=$((failures + 1))
    fi
  done
  if ! diff -r "$WORK/linux.files" "$WORK/windows.files" >/dev/null; then
    echo "DIFERENTE (arquivos gravados): $label" >&2
    diff -r "$WORK/linux.files" "$WORK/windows.files" | head -5 >&2 || true
    failures=$((failures + 1))
  fi
}

mapfile -t files < <(
  { find examples fuzz/corpus -type f
    find tests -type f \( -iname '*.txt' ! -name CMakeLists.txt \); } | LC_ALL=C sort)
for f in "${files[@]}"; do
  compare "verificar $f" verificar "$ROOT/$f"
  compare "verificar --json $f" verificar --json "$ROOT/$f"
  compare "regravar $f" regravar "$ROOT/$f" "@OUT@/saída.TXT"
done
# Accents in the folder and file names (the arguments cross as UTF-16), a file that is not there,
# bad usage, and the document check.
mkdir -p "$WORK/pasta ção"
cp examples/proposta_00000000000000.TXT "$WORK/pasta ção/proposta_ação.TXT"
compare "nome acentuado" regravar "$WORK/pasta ção/proposta_ação.TXT" "@OUT@/saída ç.TXT"
compare "arquivo ausente" verificar "$WORK/nao_existe.TXT"
compare "regravar em pasta ausente" regravar "$ROOT/examples/proposta_00000000000000.TXT" "@OUT@/nao/saida.TXT"
compare "sem argumentos" verificar
compare "comando desconhecido" desconhecido
for doc in 11.222.333/0001-81 11222333000180 12.abc.345/01de-35 "--tipo CPF 529.982.247-25" "--tipo CPF 111"; do
  # shellcheck disable=SC2086
  compare "documento $doc" documento $doc
done

# The round trip under Wine: regravar's output loads and rewrites to itself.
example="$WORK/round/proposta_00000000000000.TXT"
mkdir -p "$WORK/round"
cp examples/proposta_00000000000000.TXT "$example"
"$WINE" "$WINDOWS_TOOL" regravar "$example" "$WORK/round/1.TXT"
"$WINE" "$WINDOWS_TOOL" verificar "$WORK/round/1.TXT" >/dev/null
"$WINE" "$WINDOWS_TOOL" regravar "$WORK/round/1.TXT" "$WORK/round/2.TXT"
if ! cmp "$WORK/round/1.TXT" "$WORK/round/2.TXT"; then
  echo "A volta verificar/regravar do exemplo não dá o mesmo arquivo." >&2
  failures=$((failures + 1))
fi

echo "Windows: ${#files[@]} arquivos de proposta, $runs comparações com a compilação Linux, $failures diferença(s);" \
  "compilação $((built - start)) s, testes e comparações $((SECONDS - built)) s."
[ "$failures" -eq 0 ]
