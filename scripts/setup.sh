# Shared by scripts/run and scripts/test: installs the Debian packages the
# build needs when they are missing, then configures and builds into build/.
# Sourced, not run.

OMBRISAL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OMBRISAL_BUILD="${OMBRISAL_BUILD:-$OMBRISAL_ROOT/build}"

OMBRISAL_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth
)
# The sanitizer and fuzz builds of scripts/test.
OMBRISAL_CHECK_PACKAGES=(clang libclang-rt-dev)

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

# ombrisal_build [DIR [cmake options...]]: configures DIR once, then builds
# (only $OMBRISAL_TARGET when set).
ombrisal_build() {
  local dir="${1:-$OMBRISAL_BUILD}"
  [ $# -gt 0 ] && shift
  local generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$OMBRISAL_ROOT" -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" || return 1
  fi
  local targets=()
  [ -n "${OMBRISAL_TARGET:-}" ] && targets=(--target "$OMBRISAL_TARGET")
  cmake --build "$dir" -j"$(nproc)" "${targets[@]}" || return 1
}
