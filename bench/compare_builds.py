#!/usr/bin/env python3
"""Two builds of Kestro side by side on the same work, for a before and an
after. Each round times both with hyperfine (-N, no shell, standard output
to the null device), the one that goes first alternating from round to
round; the table gives each build's median over all rounds and the median of
the per-round ratios new / old with a 95% interval (the two builds of a
round share the machine's state of the moment, so their ratio drifts far less
than either time), of wall time and of CPU time. Short rounds, many of them,
keep what the machine does meanwhile from landing on one build only. Before the timing, the two builds' reports of each run are
compared byte for byte.

Run by bench/compare_builds.sh, which mounts the fixture tree over /sys in a
private mount namespace, makes the snapshots and starts this in WORK_DIR.

Usage: compare_builds.py OLD_KESTRO NEW_KESTRO ROUNDS WORK_DIR
  (the runs of kestro-replay are left out unless it stands beside both)"""
import filecmp
import os
import random
import statistics
import subprocess
import sys

from whole_runs import peak_rss_kib, time_round

# What is timed: a label, the program, its input, where the report goes,
# runs per round and warm-up runs. "" writes Kestro.ini in the current
# folder, which holds one from the first run on, as in every timed run. The
# replays write into the null device: a file's flushes would wait for the
# disk, which drifts far more than the program's own work.
WORKLOADS = [
    ("kestro /PNP /Type1 on the fixture tree, writing Kestro.ini", "kestro", "", "", 40, 5),
    ("kestro /PNP /Type1 /File:/dev/null on the fixture tree", "kestro", "", "/File:/dev/null", 40, 5),
    ("kestro-replay /PNP /Type1 /File:/dev/null, realistic snapshot (150 devices)", "kestro-replay",
     "{out}/realistic.json", "/File:/dev/null", 40, 5),
    ("kestro-replay, the same with its devices 100,000 times", "kestro-replay", "{out}/realistic100k.json",
     "/File:/dev/null", 2, 0),
    ("kestro-replay, 100,000 devices and a 10 MB table (the fault tests' large input)", "kestro-replay",
     "{out}/large.json", "/File:/dev/null", 1, 0),
]


def program_path(kestro, program):
    return kestro if program == "kestro" else os.path.join(os.path.dirname(kestro), program)


def command_line(kestro, program, given, report, out, build):
    words = [program_path(kestro, program), given.format(out=out), "/PNP", "/Type1",
             report.format(out=out, build=build)]
    return " ".join(w for w in words if w)


def same_reports(old, new, program, given, out):
    """Runs each build once into a file of its own; true when the two files hold the same bytes."""
    reports = []
    for kestro, build in ((old, "old"), (new, "new")):
        report = "/File:{out}/{build}-check.ini"
        subprocess.run(command_line(kestro, program, given, report, out, build).split(), check=True,
                       stdout=subprocess.DEVNULL)
        reports.append("%s/%s-check.ini" % (out, build))
    return filecmp.cmp(reports[0], reports[1], shallow=False)


def time_side_by_side(commands, rounds, runs, warmup):
    """Medians over all runs, and the per-round ratios of the second command
    to the first: of the medians of wall time, and of the means of CPU time
    (user and system, as hyperfine gives it), which waits on no other
    process when the machine is shared."""
    times = [[], []]
    medians = [[], []]
    cpu = [[], []]
    for round_number in range(rounds):
        order = [0, 1] if round_number % 2 == 0 else [1, 0]
        results = time_round([(str(i), commands[i]) for i in order], runs, warmup)
        for i, result in zip(order, results):
            times[i].extend(result["times"])
            medians[i].append(statistics.median(result["times"]))
            cpu[i].append(result["user"] + result["system"])
    wall_ratios = [n / o for o, n in zip(medians[0], medians[1])]
    cpu_ratios = [n / o for o, n in zip(cpu[0], cpu[1])]
    return [statistics.median(t) * 1000 for t in times], wall_ratios, cpu_ratios


def ratio_text(ratios):
    """The median ratio and its 95% interval, from resampling the rounds: a
    round alone drifts by 20% and more on a shared virtual machine, the
    median of many far less."""
    draws = random.Random(1)
    medians = sorted(statistics.median(draws.choices(ratios, k=len(ratios))) for _ in range(2000))
    return "%.3f (%.3f to %.3f)" % (statistics.median(ratios), medians[50], medians[1949])


def main():
    old, new, rounds, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    with_replay = all(os.access(program_path(k, "kestro-replay"), os.X_OK) for k in (old, new))
    print("old: %s\nnew: %s\n%d rounds, which build goes first alternating\n" % (old, new, rounds))
    print("| run | old (ms) | new (ms) | new / old, wall (95% interval) | new / old, CPU (95% interval) "
          "| peak RSS old / new (KiB) | reports |")
    print("|---|---|---|---|---|---|---|")
    for label, program, given, report, runs, warmup in WORKLOADS:
        if program == "kestro-replay" and not with_replay:
            continue
        same = same_reports(old, new, program, given, out)
        commands = [command_line(kestro, program, given, report, out, build)
                    for kestro, build in ((old, "old"), (new, "new"))]
        (old_ms, new_ms), wall, cpu = time_side_by_side(commands, rounds, runs, warmup)
        print("| %s | %.3f | %.3f | %s | %s | %d / %d | %s |"
              % (label, old_ms, new_ms, ratio_text(wall), ratio_text(cpu), peak_rss_kib(commands[0]),
                 peak_rss_kib(commands[1]), "same" if same else "DIFFER"), flush=True)


if __name__ == "__main__":
    main()
