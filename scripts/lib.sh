# Shared by the scripts: installing what is missing, configuring and building, a private Xvfb.

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${QV_BUILD_DIR:-$repo_root/build}

# Installs the Debian packages listed in scripts/packages that are missing (as root), or
# prints the one apt-get line to run and fails.
ensure_packages() {
  local wanted missing=() pkg
  wanted=$(grep -v '^#' "$repo_root/scripts/packages" | tr '\n' ' ')
  for pkg in $wanted; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  echo "Installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
}

configure_and_build() {
  cmake -S "$repo_root" -B "$build_dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$repo_root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$build_dir" -j"$(nproc)"
}

# Starts a private Xvfb on a free display and exports DISPLAY; stopped when the script exits.
start_xvfb() {
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  [ -s "$fd_file" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}
