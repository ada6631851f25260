#!/usr/bin/env bash
# `billprint fill --pdf` of a filled transfer cheque as a whole process: the
# median wall and CPU time of RUNS runs. With a second program (an earlier
# build, say), both are run in turn in the same run and their ratio printed.
# usage: bench/fill_pdf.sh [BUILD_DIR] [RUNS] [OTHER_BILLPRINT]
set -euo pipefail
build=${1:-build}
runs=${2:-21}
other=${3:-}
exec python3 - "$build/billprint" "$runs" "$other" <<'PY'
import os, resource, statistics, subprocess, sys, tempfile, time

exe, runs, other = sys.argv[1], int(sys.argv[2]), sys.argv[3]
tmp = tempfile.mkdtemp()
db = os.path.join(tmp, "BillDB.db")
subprocess.run([exe, "templates", "--db", db], check=True, capture_output=True)
values = ["00606000=20261207", "00907001=中国工商银行上海分行", "01107002=上海浦江贸易有限公司",
          "01307003=6222021234567890123", "01508000=1234.56", "01907006=货款"]

def once(program):
    args = [program, "fill", "--db", db, "--template", "支票/转账支票", "--pdf", os.path.join(tmp, "out.pdf")]
    for v in values:
        args += ["--set", v]
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    subprocess.run(args, check=True, capture_output=True)
    wall = time.perf_counter() - t0
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall * 1000, cpu * 1000

programs = [exe] + ([other] if other else [])
results = {p: [] for p in programs}
for _ in range(runs):
    for p in programs:  # in turn, so that both see the same load
        results[p].append(once(p))
for p in programs:
    walls = [w for w, _ in results[p]]
    cpus = [c for _, c in results[p]]
    print(f"{p}: fill --pdf of 支票/转账支票 median {statistics.median(walls):.1f} ms wall, "
          f"{statistics.median(cpus):.1f} ms CPU over {runs} runs")
if other:
    w = statistics.median([x for x, _ in results[exe]]) / statistics.median([x for x, _ in results[other]])
    c = statistics.median([x for _, x in results[exe]]) / statistics.median([x for _, x in results[other]])
    print(f"ratio {exe} / {other}: {w:.2f} wall, {c:.2f} CPU")
PY
