#!/usr/bin/env python3
"""The one runner of the golden whole runs: runs one case of cases.txt and
checks its outcome byte for byte against expected/<case>.ini; then runs it
again with --json and checks that the JSON report (Kestro.json under the
default name) says what the INI report says and fits the schema, and that a
failure fails alike (check_report_json.py, with Debian's /usr/bin/python3).

Usage: run_golden.py KESTRO_REPLAY KESTRO SYSFS_TREES CASE_NAME
A case whose snapshot is "sysfs:<machine>" runs kestro itself with the
fixture tree of that machine mounted over /sys, in private mount and UTS
namespaces (host name "kestro-test"); it needs root and is skipped (77)
without. With KESTRO_UPDATE_GOLDEN=1 a succeeding case rewrites its golden
file."""
import os
import pathlib
import shlex
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
SCHEMA = HERE.parent.parent / "doc" / "kestro-report.schema.json"
DEBIAN_PYTHON = "/usr/bin/python3"  # with python3-jsonschema
PREVIOUS_REPORT = b"[BIOS Strings]\r\nprevious report, must survive a failed run\r\n\r\n"
SKIP = 77


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


def command_of(snapshot, arguments, programs):
    replay, kestro, trees = programs
    if not snapshot.startswith("sysfs:"):
        return [replay, str(HERE / "snapshots" / (snapshot + ".json"))] + arguments
    if os.geteuid() != 0:
        return None
    mount = 'hostname kestro-test && mount --bind "$1" /sys && shift && exec "$@"'
    return ["unshare", "--mount", "--uts", "--propagation", "private", "--", "/bin/sh", "-c", mount, "sh",
            os.path.join(trees, snapshot[len("sysfs:"):]), kestro] + arguments


def check_outcome(name, work, target, run, status, outcome, before):
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
    return problems


def json_problems(name, command, status, outcome):
    """The case again with --json: the same outcome, the report as JSON."""
    target_name = "Kestro.json" if outcome == "Kestro.ini" else outcome
    with tempfile.TemporaryDirectory(prefix="kestro-golden-json-") as work:
        work = pathlib.Path(work)
        (work / "sub").mkdir()
        (work / "Kestro.ini").write_bytes(PREVIOUS_REPORT)
        before = files_below(work)
        run = subprocess.run(command + ["--json"], cwd=work, capture_output=True, timeout=60)
        stderr = run.stderr.decode("utf-8", "replace")
        if run.returncode != status:
            return ["--json: exit status %d, expected %d (stderr: %s)" % (run.returncode, status, stderr.strip())]
        if status != 0:
            unchanged = files_below(work) == before and (work / "Kestro.ini").read_bytes() == PREVIOUS_REPORT
            return [] if unchanged and outcome in stderr else ["--json: failed otherwise: %r" % stderr]
        written = set(files_below(work)) - set(before)
        if written != {target_name}:
            return ["--json: wrote %s, expected %s" % (sorted(written), target_name)]
        check = subprocess.run([DEBIAN_PYTHON, str(HERE / "check_report_json.py"), str(SCHEMA),
                                str(HERE / "expected" / (name + ".ini")), str(work / target_name)],
                               capture_output=True, text=True)
        return ["--json: " + line for line in (check.stdout + check.stderr).splitlines()] or \
            ([] if check.returncode == 0 else ["--json: the check failed"])


def run_case(programs, name):
    snapshot, arguments, status, outcome = load_cases()[name]
    command = command_of(snapshot, arguments, programs)
    if command is None:
        print(name + ": skipped: mounting a fixture tree over /sys needs root")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="kestro-golden-") as work:
        work = pathlib.Path(work)
        (work / "sub").mkdir()
        target = work / (outcome if status == 0 else "Kestro.ini")
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(PREVIOUS_REPORT)
        before = files_below(work)
        run = subprocess.run(command, cwd=work, capture_output=True, timeout=60)
        problems = check_outcome(name, work, target, run, status, outcome, before)
    if not problems and os.environ.get("KESTRO_UPDATE_GOLDEN") != "1":
        problems = json_problems(name, command, status, outcome)
    for problem in problems:
        print(name + ": " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(run_case(sys.argv[1:4], sys.argv[4]))
