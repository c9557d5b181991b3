#!/usr/bin/env bash
# Builds and runs the XML fuzz target: fuzz/run-xml-fuzz.sh SECONDS [JOBS]
# (the same as fuzz/run-fuzz.sh xml_fuzz SECONDS [JOBS]).
set -euo pipefail
exec "$(cd "$(dirname "$0")" && pwd)/run-fuzz.sh" xml_fuzz "${1:?usage: run-xml-fuzz.sh SECONDS [JOBS]}" "${2:-1}"
