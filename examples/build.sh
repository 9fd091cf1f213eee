#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the example projects: each component text file examples/NAME.txt becomes
# OUT/NAME.clp (a new project with the file imported), which is then verified.
#   examples/build.sh [BUILD_DIR [OUT_DIR [NAME...]]]
# defaults: build, BUILD_DIR/examples, every example.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
out=${2:-$build/examples}
shift $(( $# < 2 ? $# : 2 ))
cli="$build/src/cli/pontra-cli"
mkdir -p "$out"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for source in "$here"/*.txt; do names+=("$(basename "$source" .txt)"); done
fi
for name in "${names[@]}"; do
    source="$here/$name.txt"
    project="$out/$name.clp"
    rm -f "$project" "$out/${name}_Backup.clp"
    "$cli" new "$project" --ip 127.0.0.1
    # The new project's empty main program is replaced by the example's.
    "$cli" import "$project" "$source" --yes
    "$cli" verify "$project"
done
