#!/usr/bin/env python3
"""Times whole runs side by side: several rounds of hyperfine (-N, no shell),
the commands' order alternating from round to round, and reports each
command's median over all rounds, its ratio to the first, and its peak
resident memory (GNU time).

Usage: whole_runs.py ROUNDS RUNS_PER_ROUND NAME=COMMAND..."""
import json
import os
import shlex
import statistics
import subprocess
import sys
import tempfile


def peak_rss_kib(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + shlex.split(command), capture_output=True, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def main():
    rounds, runs = int(sys.argv[1]), int(sys.argv[2])
    named = [argument.split("=", 1) for argument in sys.argv[3:]]
    times = {name: [] for name, _ in named}
    for round_number in range(rounds):
        order = named if round_number % 2 == 0 else list(reversed(named))
        with tempfile.NamedTemporaryFile(suffix=".json") as export:
            command = ["hyperfine", "-N", "--style", "none", "-w", "10", "-r", str(runs), "--export-json", export.name]
            command += [c for _, c in order]
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
            results = json.load(open(export.name))["results"]
        for (name, _), result in zip(order, results):
            times[name].extend(result["times"])
    first = statistics.median(times[named[0][0]])
    print("| run | median (ms) | ratio to %s | peak RSS (KiB) |" % named[0][0])
    print("|---|---|---|---|")
    for name, command in named:
        median = statistics.median(times[name])
        print("| %s | %.3f | %.2f | %d |" % (name, median * 1000, median / first, peak_rss_kib(command)))


if __name__ == "__main__":
    main()
