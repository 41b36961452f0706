#!/usr/bin/env bash
# Builds Perivant and runs it against a demo network on this machine: corvane-lab plays the
# Master Server and about 60 Corvane hosts on loopback addresses, a few of them misbehaving.
# Perivant keeps its settings for the demo in a temporary folder of its own, so your own
# settings are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat <<'MSG'
There is no display to show Perivant's window on. Either run this from a desktop session, or
run it under a virtual display:

    apt-get update && apt-get install -y xvfb xauth && xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/run-demo.sh

(QT_QPA_PLATFORM=offscreen also works, but then nothing is visible.)
MSG
    exit 1
fi

bash scripts/install-deps.sh

build=build/demo
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERIVANT_BENCH=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target perivant corvane-lab

work=$(mktemp -d /tmp/perivant-demo-XXXXXX)
lab_pid=
cleanup() {
    [ -n "$lab_pid" ] && kill "$lab_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$build/tools/corvane-lab/corvane-lab" --hosts 60 --seed 2026 --time-limit 3600 \
    --faults "refuse:2,silent:1,404:1,notxml:1,wrongguid:1" \
    --ready-file "$work/ready" --quiet > "$work/lab.out" &
lab_pid=$!
for _ in $(seq 100); do
    [ -f "$work/ready" ] && break
    sleep 0.1
done
[ -f "$work/ready" ] || { echo "corvane-lab did not start"; exit 1; }
master=$(cat "$work/ready")
echo "Demo Master Server: $master"

mkdir -p "$work/config/Perivant"
printf '[Settings]\nMasterServerURL=%s\n' "$master" > "$work/config/Perivant/Perivant.conf"
XDG_CONFIG_HOME="$work/config" "$build/src/perivant"
