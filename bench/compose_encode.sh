#!/usr/bin/env bash
# Times a composed title against its clips encoded alone: three 10 s 1280x720 H.264 clips of a
# test pattern with noise changing every frame and a tone, made into one title by
# build/bin/dvd-compose with two 2 s cross fades, against build/bin/dvd-encode of each clip
# (the three times summed). Runs each several times, alternating, and prints the ratio of the
# composed title's time to the clips' (1.0: composing costs nothing over encoding).
#
# Usage: bench/compose_encode.sh [runs]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRANTWELL_BUILD_DIR:-$root/build}"
compose="$build/bin/dvd-compose"
encode="$build/bin/dvd-encode"
runs="${1:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for tool in "$compose" "$encode"; do
  [[ -x "$tool" ]] || { echo "build first: $tool is missing" >&2; exit 1; }
done

clips=()
for i in 1 2 3; do
  ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=1280x720:rate=30000/1001:duration=10,hue=h=$((i * 120)),noise=alls=20:allf=t" \
    -f lavfi -i "sine=frequency=$((220 * i)):sample_rate=48000:duration=10" \
    -c:v libx264 -preset veryfast -b:v 10M -maxrate 12M -bufsize 20M -pix_fmt yuv420p -c:a aac -ac 2 -shortest \
    "$work/clip$i.mp4"
  clips+=("$work/clip$i.mp4")
done

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

composed=0
alone=0
for ((i = 1; i <= runs; i++)); do
  c=$(seconds "$compose" --transition CrossFade --transition-length 2 "$work/title.mpg" "${clips[@]}")
  composed=$(echo "$composed + $c" | bc -l)
  a=0
  for clip in "${clips[@]}"; do
    t=$(seconds "$encode" "$clip" "$work/alone.mpg")
    a=$(echo "$a + $t" | bc -l)
  done
  alone=$(echo "$alone + $a" | bc -l)
  printf 'run %d: dvd-compose %.2f s, dvd-encode of each clip %.2f s\n' "$i" "$c" "$a"
done
printf 'ratio (composed time / clips alone): %.2f\n' "$(echo "$composed / $alone" | bc -l)"
printf 'cores: %s, load: %s\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
