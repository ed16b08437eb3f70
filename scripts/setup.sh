# Shared by scripts/run and scripts/test: installs the Debian packages the
# build needs when they are missing, then configures and builds into build/.
# Sourced, not run.

OMBRISAL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OMBRISAL_BUILD="${OMBRISAL_BUILD:-$OMBRISAL_ROOT/build}"

OMBRISAL_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev
  qt6-declarative-dev  # QJSEngine: the controller's program as a script
  libgtest-dev libgmock-dev googletest libbenchmark-dev socat
  fonts-ipafont-gothic fonts-ipafont-mincho
  qt6-translations-l10n  # Qt's own dialogs and menus in Japanese
  qt6-tools-dev qt6-l10n-tools  # lupdate/lrelease: the English translation (scripts/translations)
  xvfb xauth
  groff-base  # the manual page is checked with it
  iproute2    # scripts/examples: the loopback of its sandbox
)
# The sanitizer and fuzz builds of scripts/test, and the check of the
# Debian package (scripts/package-test).
OMBRISAL_CHECK_PACKAGES=(clang libclang-rt-dev lintian)

ombrisal_install_packages() {
  local missing=()
  local p
  for p in "${OMBRISAL_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
      echo "Missing packages (${missing[*]}) and not running as root; install them and run again." >&2
      return 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || return 1
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
}

# The main build folder is built with warnings as errors, by scripts/run and
# scripts/test alike (so neither makes the other configure afresh).
OMBRISAL_MAIN_OPTIONS=(-DOMBRISAL_WERROR=ON)

# ombrisal_build [DIR [cmake options...]]: configures DIR, then builds (only
# the targets named in $OMBRISAL_TARGET, separated by blanks, when set).  DIR is configured afresh whenever the options,
# the compilers or the generator differ from those it was configured with.
ombrisal_build() {
  local dir="${1:-$OMBRISAL_BUILD}"
  [ $# -gt 0 ] && shift
  [ "$dir" = "$OMBRISAL_BUILD" ] && [ $# -eq 0 ] && set -- "${OMBRISAL_MAIN_OPTIONS[@]}"
  local generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  local cc cxx
  cc="$(command -v "${CC:-cc}" 2>/dev/null || true)"
  cxx="$(command -v "${CXX:-c++}" 2>/dev/null || true)"
  local stamp="cc=$cc cxx=$cxx generator=${generator[*]} options=$*"
  local stampFile="$dir/.ombrisal-configure"
  if [ -f "$dir/CMakeCache.txt" ] && [ "$(cat "$stampFile" 2>/dev/null)" != "$stamp" ]; then
    echo "== $dir was configured differently; configuring it afresh"
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$OMBRISAL_ROOT" -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" || return 1
    printf '%s' "$stamp" >"$stampFile"
  fi
  local targets=()
  # shellcheck disable=SC2206  # the blanks separate target names
  [ -n "${OMBRISAL_TARGET:-}" ] && targets=(--target $OMBRISAL_TARGET)
  cmake --build "$dir" -j"$(nproc)" "${targets[@]}" || return 1
}

# Runs every benchmark once for a moment, so that none of them rots; a
# benchmark that reports an error fails the run.
ombrisal_smoke_benchmarks() {
  local dir="${1:-$OMBRISAL_BUILD}/bench"
  local out status=0
  out="$(mktemp)"
  for b in ombrisal_bench views_bench serve_latency_bench; do
    [ -x "$dir/$b" ] || continue
    echo "-- $b"
    if ! OMBRISAL_LATENCY_REQUESTS=20 QT_QPA_PLATFORM=offscreen "$dir/$b" --benchmark_min_time=0.01 >"$out" 2>&1 ||
      grep -q 'ERROR OCCURRED' "$out"; then
      cat "$out"
      echo "The benchmark $b failed." >&2
      status=1
    else
      grep -E '^(BM_|[a-zA-Z]+/)' "$out" | sed 's/^/   /'
    fi
  done
  rm -f "$out"
  return $status
}
