#!/usr/bin/env python3
"""Times whole runs side by side: several rounds of hyperfine (-N, no shell,
standard output to the null device), the commands' order rotating from round
to round, and reports each command's median over all rounds, the median of
its per-round ratios to the first command (a round's commands share the
machine's state of the moment, so their ratio drifts less than either time),
and its peak resident memory (GNU time). Each --compare A:B adds the median
of the per-round ratios of A to B, with their range.

Usage: whole_runs.py ROUNDS RUNS_PER_ROUND NAME=COMMAND... [--compare A:B]..."""
import json
import shlex
import statistics
import subprocess
import sys
import tempfile


def peak_rss_kib(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + shlex.split(command), capture_output=True, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def time_round(order, runs, warmup=10):
    with tempfile.NamedTemporaryFile(suffix=".json") as export:
        command = ["hyperfine", "-N", "--style", "none", "--output", "null", "-w", str(warmup), "-r", str(runs),
                   "--export-json", export.name]
        command += [c for _, c in order]
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return json.load(open(export.name))["results"]


def main():
    rounds, runs = int(sys.argv[1]), int(sys.argv[2])
    compares = [a.split("=", 1)[1].split(":") for a in sys.argv[3:] if a.startswith("--compare=")]
    named = [a.split("=", 1) for a in sys.argv[3:] if not a.startswith("--")]
    times = {name: [] for name, _ in named}
    round_medians = {name: [] for name, _ in named}
    for round_number in range(rounds):
        shift = round_number % len(named)
        order = named[shift:] + named[:shift]
        for (name, _), result in zip(order, time_round(order, runs)):
            times[name].extend(result["times"])
            round_medians[name].append(statistics.median(result["times"]))

    def ratios(a, b):
        return [x / y for x, y in zip(round_medians[a], round_medians[b])]

    first = named[0][0]
    print("| run | median (ms) | per-round ratio to %s (median) | peak RSS (KiB) |" % first)
    print("|---|---|---|---|")
    for name, command in named:
        print("| %s | %.3f | %.2f | %d |" % (name, statistics.median(times[name]) * 1000,
                                            statistics.median(ratios(name, first)), peak_rss_kib(command)))
    for a, b in compares:
        r = ratios(a, b)
        print("\n%s / %s: %.3f (median of %d per-round ratios; %.3f to %.3f)"
              % (a, b, statistics.median(r), len(r), min(r), max(r)))


if __name__ == "__main__":
    main()
