#!/usr/bin/env bash
# Times the start-up: from exec of build/bin/brantwell on the headless display to its main
# window's first frame (the program marks it in the debugger output), in a temporary program
# folder, home and runtime folder so every run is a first start. Prints each run and the
# median in milliseconds; the target is 400 ms.
#
# Usage: bench/startup.sh [runs]   (5 by default)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRANTWELL_BUILD_DIR:-$root/build}"
bin="$build/bin"
runs="${1:-5}"
[[ -x "$bin/brantwell" ]] || { echo "build first: $bin/brantwell is missing" >&2; exit 1; }

work="$(mktemp -d)"
pid=""
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

times=()
for ((run = 1; run <= runs; run++)); do
  dir="$work/$run"
  mkdir -p "$dir/program" "$dir/home" "$dir/run"
  chmod 700 "$dir/run"
  for entry in "$bin"/*; do
    case "$(basename "$entry")" in brantwell.ini | Log | Thumbnail) continue ;; esac
    ln -s "$entry" "$dir/program/"
  done
  cp "$root/resources/brantwell.ini" "$dir/program/brantwell.ini"
  log="$dir/stderr"
  start=$(date +%s%N)
  ( cd "$dir/program" && exec env -u XDG_CACHE_HOME -u XDG_DOCUMENTS_DIR BRANTWELL_DISPLAY=headless BRANTWELL_DEBUG_OUTPUT=1 \
      BRANTWELL_PROGRAM_DIR="$dir/program" HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" \
      XDG_CONFIG_HOME="$dir/home/.config" \
      "$dir/program/brantwell" ) 2>"$log" >/dev/null &
  pid=$!
  end=""
  for ((i = 0; i < 3000; i++)); do
    if grep -q "main window first frame" "$log" 2>/dev/null; then end=$(date +%s%N); break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.002
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
  [[ -n "$end" ]] || { echo "run $run: no first frame" >&2; tail -5 "$log" >&2; exit 1; }
  ms=$(((end - start) / 1000000))
  echo "run $run: $ms ms"
  times+=("$ms")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
echo "median of $runs: $median ms (target 400 ms)"
