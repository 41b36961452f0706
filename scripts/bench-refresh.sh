#!/usr/bin/env bash
# Times whole refreshes of the real program against corvane-lab on loopback, and sets each
# against the limit that the network and the scheduler put on it.
#
# For every host count N and thread limit T the lab plays a Master Server and N hosts that each
# answer their status page after L ms; Perivant runs offscreen with PERIVANT_EXIT_WHEN_DONE=1,
# so it refreshes once at start-up, prints how long the refresh took and quits. Per run:
#   wall     the refresh from the Master Server fetch to "Done." (the program's own figure)
#   limit    W * L + (W - 1) * 50 ms, W = ceil(N / T) waves: no wave ends before its hosts
#            answer, and a queued query waits for the next 100 ms timer tick, 50 ms on average
#            (with L = 50 the waves fall exactly on the ticks)
#   ratio    wall / limit (goal: at most 1.10)
#   CPU/srv  user + system time of the whole process, start-up included, divided by N
#            (goal: under 1 ms)
#   ref/srv  processor time of the refresh alone (all threads, from the Master Server fetch to
#            "Done.", the program's own figure) divided by N: the same goal read as the cost of
#            the refresh per server, without the program's start-up
#   marg     the whole process less a refresh of a single host, divided by N - 1: what each
#            further server costs
#   max RSS  peak resident memory of the process (goal: under 100 MB with 5,000 servers of
#            20 players)
#
# Usage: scripts/bench-refresh.sh [--hosts "100 1000 5000"] [--threads "15 60"] [--delay-ms 50]
#                                 [--players 20] [--repeat 3] [--no-build]
# Builds Release in build/bench. Every run is bounded in time; all traffic stays on 127.0.0.0/8.
set -euo pipefail
cd "$(dirname "$0")/.."

hosts_list="100 1000 5000"
threads_list="15 60"
delay_ms=50
players=20
repeat=3
build=1
while [ $# -gt 0 ]; do
    case $1 in
        --hosts) hosts_list=$2; shift 2 ;;
        --threads) threads_list=$2; shift 2 ;;
        --delay-ms) delay_ms=$2; shift 2 ;;
        --players) players=$2; shift 2 ;;
        --repeat) repeat=$2; shift 2 ;;
        --no-build) build=0; shift ;;
        -h|--help) sed -n '2,25p' "$0"; exit 0 ;;
        *) echo "unknown option: $1" >&2; exit 2 ;;
    esac
done

dir=build/bench
if [ "$build" = 1 ]; then
    bash scripts/install-deps.sh time
    mkdir -p "$dir"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERIVANT_BENCH=ON \
        > "$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
    cmake --build "$dir" -j "${PERIVANT_JOBS:-2}" --target perivant corvane-lab
fi
perivant=$dir/src/perivant
lab=$dir/tools/corvane-lab/corvane-lab
for f in "$perivant" "$lab" /usr/bin/time; do
    [ -x "$f" ] || { echo "missing $f (build first)" >&2; exit 1; }
done

# Requests must go straight to the lab, never through a proxy.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY
export no_proxy=127.0.0.0/8,localhost NO_PROXY=127.0.0.0/8,localhost

work=$(mktemp -d /tmp/perivant-bench-XXXXXX)
lab_pid=
cleanup() {
    if [ -n "$lab_pid" ]; then
        kill "$lab_pid" 2>/dev/null || true
        wait "$lab_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "machine: $(nproc) cores; load at start:$(uptime | sed 's/.*load average://')"
echo "L = $delay_ms ms per status page, $players players per host, $repeat runs each"
echo
printf '%6s %4s %3s %7s %8s %8s %6s %7s %10s %10s %8s %6s\n' \
    N T run servers wall_s limit_s ratio cpu_s cpu/srv_ms ref/srv_ms rss_MB load1
summary=()
failed=0

# run_once N T RUN: one lab, one refresh; prints a table line and sets the globals below.
run_once() {
    local n=$1 t=$2 run=$3
    local waves=$(((n + t - 1) / t))
    local limit_ms=$((waves * delay_ms + (waves - 1) * 50))
    local bound=$((limit_ms * 3 / 1000 + 60))
    local run_dir=$work/run-$n-$t-$run
    mkdir -p "$run_dir/config/Perivant"

    "$lab" --hosts "$n" --delay-ms "$delay_ms" --players "$players" --host-port 0 \
        --ready-file "$run_dir/ready" --time-limit $((bound + 30)) --quiet \
        > "$run_dir/lab.out" 2> "$run_dir/lab.err" &
    lab_pid=$!
    for _ in $(seq 300); do
        [ -f "$run_dir/ready" ] && break
        sleep 0.1
    done
    if [ ! -f "$run_dir/ready" ]; then
        echo "corvane-lab did not start:" >&2
        cat "$run_dir/lab.err" >&2
        exit 1
    fi
    printf '[Settings]\nMasterServerURL=%s\nMaxThreads=%d\nRefreshAtStartup=1\nShowCloseMsg=0\n' \
        "$(cat "$run_dir/ready")" "$t" > "$run_dir/config/Perivant/Perivant.conf"

    local load1
    load1=$(cut -d' ' -f1 /proc/loadavg)
    local status=0
    XDG_CONFIG_HOME=$run_dir/config QT_QPA_PLATFORM=offscreen PERIVANT_EXIT_WHEN_DONE=1 \
        /usr/bin/time -f '%U %S %M' -o "$run_dir/time" \
        timeout -k 5 "$bound" "$perivant" 2> "$run_dir/trace.log" || status=$?
    kill "$lab_pid" 2>/dev/null || true
    wait "$lab_pid" 2>/dev/null || true
    lab_pid=

    local done_line
    done_line=$(grep -m1 '^Refresh done: ' "$run_dir/trace.log" || true)
    if [ "$status" != 0 ] || [ -z "$done_line" ]; then
        echo "run N=$n T=$t #$run failed (exit status $status); last trace lines:" >&2
        tail -5 "$run_dir/trace.log" >&2
        failed=1
        return
    fi
    # "Refresh done: 100 servers in 0.701 s, 0.085 s processor time"
    local servers wall refresh_cpu
    servers=$(echo "$done_line" | awk '{print $3}')
    wall=$(echo "$done_line" | awk '{print $6}')
    refresh_cpu=$(echo "$done_line" | awk '{print $8}')
    read -r user sys rss_kb < <(tail -1 "$run_dir/time")
    awk -v n="$n" -v t="$t" -v run="$run" -v servers="$servers" -v wall="$wall" \
        -v limit="$limit_ms" -v user="$user" -v sys="$sys" -v rss="$rss_kb" -v load1="$load1" \
        -v refresh="$refresh_cpu" \
        'BEGIN {
            printf "%6d %4d %3d %7d %8.3f %8.3f %6.3f %7.3f %10.3f %10.3f %8.1f %6s\n",
                n, t, run, servers, wall, limit / 1000, wall * 1000 / limit, user + sys,
                (user + sys) * 1000 / n, refresh * 1000 / n, rss / 1024, load1
        }' | tee -a "$work/results"
    if [ "$servers" != "$n" ]; then
        echo "  (only $servers of $n servers listed)" >&2
    fi
}

: > "$work/results"
# A single host first: the start-up share that the marginal figure leaves out.
for t in $threads_list; do
    for run in $(seq "$repeat"); do
        run_once 1 "$t" "$run"
    done
done
for n in $hosts_list; do
    for t in $threads_list; do
        for run in $(seq "$repeat"); do
            run_once "$n" "$t" "$run"
        done
    done
done

echo
echo "Medians over $repeat runs (goals: ratio <= 1.10, CPU/server < 1 ms, max RSS < 100 MB"
echo "with 5,000 servers of 20 players):"
printf '%6s %4s %8s %8s %6s %10s %10s %8s %8s  %s\n' N T wall_s limit_s ratio cpu/srv_ms \
    ref/srv_ms marg_ms rss_MB goals
awk '
    function median(list,   a, i, j, k, m, v) {
        k = split(list, a, " ")
        for (i = 2; i <= k; i++) {
            v = a[i]; j = i - 1
            while (j > 0 && a[j] + 0 > v + 0) { a[j + 1] = a[j]; j-- }
            a[j + 1] = v
        }
        m = int((k + 1) / 2)
        return k % 2 ? a[m] : (a[m] + a[m + 1]) / 2
    }
    {
        key = $1 " " $2
        if (!(key in seen)) { seen[key] = 1; order[++count] = key }
        wall[key] = wall[key] " " $5; limit[key] = $6; ratio[key] = ratio[key] " " $7
        cpu[key] = cpu[key] " " $8; refresh[key] = refresh[key] " " $10
        rss[key] = rss[key] " " $11
    }
    END {
        for (c = 1; c <= count; c++) {
            key = order[c]; split(key, nt, " ")
            n = nt[1]; t = nt[2]
            r = median(ratio[key]); s = median(cpu[key]); m = median(rss[key])
            per = s * 1000 / n; ref = median(refresh[key])
            base = ("1 " t) in seen ? median(cpu["1 " t]) : ""
            marg = (n > 1 && base != "") ? sprintf("%8.3f", (s - base) * 1000 / (n - 1)) : "       -"
            goals = ""
            if (n > 1) {
                goals = (r <= 1.10 ? "ratio ok" : "ratio MISSED") ", " \
                        (per < 1 ? "cpu ok" : "cpu MISSED") ", " \
                        (ref < 1 ? "refresh cpu ok" : "refresh cpu MISSED")
                if (n >= 5000) goals = goals ", " (m < 100 ? "memory ok" : "memory MISSED")
            }
            printf "%6d %4d %8.3f %8.3f %6.3f %10.3f %10.3f %s %8.1f  %s\n", n, t,
                median(wall[key]), limit[key], r, per, ref, marg, m, goals
        }
    }' "$work/results"
echo
echo "load at end:$(uptime | sed 's/.*load average://')"
exit "$failed"
