#!/usr/bin/env bash
# scripts/check_layers on a copy of the tree: the copy passes, and one include up the layers, in the
# engine or in the game, makes it refuse and name the offending line.
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }

copy_tree() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree"
  (cd "$top" && find engine platform game \( -name '*.h' -o -name '*.cpp' \) -exec cp --parents -t "$work/tree" {} +)
}

# Adds an include of $2 at the top of the copy's file $1, runs the check, and expects it to refuse
# with that file named.
expect_refused() {
  copy_tree
  sed -i "1i #include \"$2\"" "$work/tree/$1"
  if bash "$top/scripts/check_layers" "$work/tree" >"$work/out" 2>&1; then
    fail "an include of $2 in $1 was let through"
  fi
  grep -q "^$1:1: includes \"$2\"" "$work/out" || fail "the refusal does not name $1: $(cat "$work/out")"
}

copy_tree
bash "$top/scripts/check_layers" "$work/tree" >"$work/out" 2>&1 || fail "the copied tree is refused: $(cat "$work/out")"

expect_refused engine/core/memory.cpp engine/render/camera.h
expect_refused engine/data/texture.cpp engine/startup/engine.h
expect_refused game/state/prefs.cpp game/world/watercraft.h
expect_refused game/world/craft_process.cpp game/race/race_hud.h
expect_refused game/race/race_driver.cpp game/menus/menu_shell.h
expect_refused game/menus/race_launch.cpp game/program/top_level_run.h
expect_refused engine/startup/engine.cpp game/state/settings.h
echo "check_layers refuses every upward include tried"
