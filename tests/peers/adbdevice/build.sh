#!/usr/bin/env bash
# Builds the scripted device with the host compiler (it runs natively, not
# under Wine) when its sources are newer than the program.
#   build.sh <output program>
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$1"
mkdir -p "$(dirname "$out")"
shared="$here/../shellwords"
if [ -x "$out" ] && [ -z "$(find "$here" "$shared" -newer "$out" \( -name '*.cpp' -o -name '*.h' \))" ]; then
    exit 0
fi
g++ -std=c++17 -O2 -Wall -Wextra -pthread -I"$shared" -o "$out.tmp" "$here"/*.cpp "$shared"/*.cpp
mv "$out.tmp" "$out"
