#!/usr/bin/env bash
# The main job of `make run`: shows what pontra-cli offers and the project a new
# Vessa project starts as.
set -euo pipefail
build=${1:-build}
cli="$build/src/cli/pontra-cli"
"$cli" --help
echo
echo "A new Vessa project (pontra-cli dump --new), first lines:"
"$cli" dump --new | head -n 40
