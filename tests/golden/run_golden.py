#!/usr/bin/env python3
"""Runs one whole-run case of cases.txt with kestro-replay and checks its
outcome byte for byte. Usage: run_golden.py KESTRO_REPLAY CASE_NAME
With KESTRO_UPDATE_GOLDEN=1 a succeeding case rewrites its golden file."""
import os
import pathlib
import shlex
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
PREVIOUS_REPORT = b"[BIOS Strings]\r\nprevious report, must survive a failed run\r\n\r\n"


def load_cases():
    cases = {}
    for line in (HERE / "cases.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        name, snapshot, arguments, status, outcome = (field.strip() for field in line.split("|"))
        cases[name] = (snapshot, shlex.split(arguments), int(status), outcome)
    return cases


def files_below(folder):
    return sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())


def run_case(replay, name):
    snapshot, arguments, status, outcome = load_cases()[name]
    with tempfile.TemporaryDirectory(prefix="kestro-golden-") as work:
        work = pathlib.Path(work)
        (work / "sub").mkdir()
        target = work / (outcome if status == 0 else "Kestro.ini")
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(PREVIOUS_REPORT)
        before = files_below(work)
        run = subprocess.run([replay, str(HERE / "snapshots" / (snapshot + ".json"))] + arguments,
                             cwd=work, capture_output=True, timeout=60)
        stderr = run.stderr.decode("utf-8", "replace")
        problems = []
        if run.returncode != status:
            problems.append("exit status %d, expected %d (stderr: %s)" % (run.returncode, status, stderr.strip()))
        if files_below(work) != before:
            problems.append("files now %s, before %s" % (files_below(work), before))
        if status == 0:
            golden = HERE / "expected" / (name + ".ini")
            written = target.read_bytes()
            if os.environ.get("KESTRO_UPDATE_GOLDEN") == "1":
                golden.write_bytes(written)
            elif not golden.exists() or written != golden.read_bytes():
                problems.append("%s differs from %s" % (outcome, golden))
            if stderr:
                problems.append("unexpected stderr: " + stderr)
        else:
            if target.read_bytes() != PREVIOUS_REPORT:
                problems.append("the previous report was changed")
            if outcome not in stderr:
                problems.append("stderr lacks %r: %r" % (outcome, stderr))
            if len(stderr.strip().splitlines()) != 1:
                problems.append("stderr is not one line: %r" % stderr)
        for problem in problems:
            print(name + ": " + problem)
        return not problems


if __name__ == "__main__":
    sys.exit(0 if run_case(sys.argv[1], sys.argv[2]) else 1)
