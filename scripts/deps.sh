# Installs the Debian packages the build needs that are missing. Sourced by scripts/run and scripts/test.
lorvane_install_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

LORVANE_BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
    libuchardet-dev qt6-translations-l10n fonts-noto-cjk fonts-ipafont-gothic)
LORVANE_TEST_PACKAGES=(libgtest-dev libbenchmark-dev)
