#!/usr/bin/env bash
# Builds the plug-in and installs it for the current user, with the factory preset.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build MarlinetRack_VST3 marlinet_default_preset_file

bundle="build/MarlinetRack_artefacts/Release/VST3/Marlinet Rack.vst3"
destination="$HOME/.vst3"
mkdir -p "$destination"
rm -rf "$destination/Marlinet Rack.vst3"
cp -R "$bundle" "$destination/"

data_home="${XDG_DATA_HOME:-}"
case "$data_home" in /*) ;; *) data_home="$HOME/.local/share" ;; esac
factory="$data_home/Quenwick/Marlinet Rack/Presets/Factory"
mkdir -p "$factory"
cp "build/factory/Marlinet By Quenwick.preset" "$factory/"

echo "Installed: $destination/Marlinet Rack.vst3"
echo "Factory preset: $factory/Marlinet By Quenwick.preset"
