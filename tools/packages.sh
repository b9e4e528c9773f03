# Installs the Debian packages given as arguments when any is missing (needs root).
ensure_packages()
{
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done

    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config juce-modules-source libasound2-dev libfreetype-dev
                libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev
                libxcomposite-dev libxext-dev libxrender-dev libcurl4-openssl-dev ca-certificates
                fonts-dejavu-core fonts-urw-base35)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev xvfb xauth clang libclang-rt-14-dev)
