#!/usr/bin/env bash
# Renders pikazan.svg to the PNG sizes the package installs, and records which drawing they come
# from (pikazan.svg.sha256: the package test fails when the drawing changed and this was not run).
# Needs rsvg-convert (Debian: librsvg2-bin). Usage: bash packaging/icons/render.sh
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "pikazan-$size.png" pikazan.svg
done
sha256sum pikazan.svg > pikazan.svg.sha256
