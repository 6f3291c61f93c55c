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

# libqt6svg6: the SVG image plug-in that draws the program icon. fonts-urw-base35: the condensed bold face that
# stands in for Impact in the about box. libuchardet-dev: a second opinion on EUC-JP.
LORVANE_BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
    libuchardet-dev qt6-translations-l10n libqt6svg6 fonts-noto-cjk fonts-ipafont-gothic fonts-urw-base35)
# What making the Debian package needs: dpkg-dev (dpkg-shlibdeps reads the programs' library dependencies) and
# file, which cpack's Debian generator runs on every installed file to find the programs.
LORVANE_PACKAGE_PACKAGES=(dpkg-dev file)
# desktop-file-utils and appstream: desktop-file-validate and appstreamcli check the installed desktop entry
# and software-centre file; the package's packages: the test that makes the Debian package;
# texlive-lang-japanese: pBibTeX and jplain.bst, the judge the check is compared with.
LORVANE_TEST_PACKAGES=(libgtest-dev libbenchmark-dev desktop-file-utils appstream "${LORVANE_PACKAGE_PACKAGES[@]}"
    texlive-lang-japanese)
