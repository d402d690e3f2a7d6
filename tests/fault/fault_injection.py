#!/usr/bin/env python3
"""Fault injection for the whole programs: every failure must print one clear
line, exit non-zero, write nothing, and leave an existing report exactly as it
was, with no temporary file behind.

Usage: fault_injection.py KESTRO_REPLAY KESTRO CASE
Cases that need root (mounts in a private mount namespace) exit 77 (skipped)
when not root."""
import json
import os
import pathlib
import resource
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
SNAPSHOTS = HERE.parent / "golden" / "snapshots"
PREVIOUS = b"[BIOS Strings]\r\nthe previous report, which must survive\r\n\r\n"
SKIP = 77


def base_snapshot():
    return json.loads((SNAPSHOTS / "worked-example.json").read_text())


def big_snapshot(devices):
    snapshot = base_snapshot()
    path = snapshot["root\\CIMV2"]["Win32_SystemDevices"][0]["PartComponent"]
    snapshot["root\\CIMV2"]["Win32_SystemDevices"] = [{"PartComponent": path + str(i)} for i in range(devices)]
    return snapshot


class Failures:
    def __init__(self):
        self.problems = []

    def check(self, condition, text):
        if not condition:
            self.problems.append(text)


def run(command, cwd, failures, expect_status, expect_text, **options):
    result = subprocess.run(command, cwd=cwd, capture_output=True, timeout=120, **options)
    stderr = result.stderr.decode("utf-8", "replace")
    label = " ".join(str(c) for c in command[1:])
    if expect_status == 0:
        failures.check(result.returncode == 0, "%s: exit %d, stderr %r" % (label, result.returncode, stderr))
    else:
        failures.check(result.returncode != 0, "%s: exit 0 after a failure" % label)
        failures.check(expect_text in stderr, "%s: stderr %r lacks %r" % (label, stderr, expect_text))
        failures.check(len(stderr.strip().splitlines()) == 1, "%s: stderr not one line: %r" % (label, stderr))
    return result


def files_in(folder):
    return sorted(p.name for p in pathlib.Path(folder).iterdir())


def replay_failure(replay, snapshot, arguments, expect_text, failures):
    """Runs kestro-replay on `snapshot` in a folder holding a previous report."""
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        (pathlib.Path(work) / "Kestro.ini").write_bytes(PREVIOUS)
        (pathlib.Path(work) / "machine.json").write_text(json.dumps(snapshot))
        run([replay, "machine.json"] + arguments, work, failures, 1, expect_text)
        failures.check((pathlib.Path(work) / "Kestro.ini").read_bytes() == PREVIOUS, "previous report changed")
        failures.check(files_in(work) == ["Kestro.ini", "machine.json"], "files now %s" % files_in(work))


# --- Record-side faults, through kestro-replay --------------------------------

QUERIES = [("root\\WMI", "MSSmBios_RawSMBiosTables"), ("root\\CIMV2", "Win32_ComputerSystem"),
           ("root\\CIMV2", "Win32_BaseBoard"), ("root\\CIMV2", "Win32_SystemDevices")]
PROPERTIES = [("root\\WMI", "MSSmBios_RawSMBiosTables", "SMBiosData"), ("root\\CIMV2", "Win32_ComputerSystem", "Model"),
              ("root\\CIMV2", "Win32_ComputerSystem", "Manufacturer"), ("root\\CIMV2", "Win32_BaseBoard", "Product"),
              ("root\\CIMV2", "Win32_SystemDevices", "PartComponent")]


def case_each_query_failing(replay, kestro, failures):
    for number, (name_space, cls) in enumerate(QUERIES):
        snapshot = base_snapshot()
        snapshot[name_space][cls] = {"error": -2147217407 + number, "message": "injected failure of " + cls}
        replay_failure(replay, snapshot, ["/PNP", "/Type1"], "injected failure of " + cls, failures)


def case_null_values(replay, kestro, failures):
    for name_space, cls, prop in PROPERTIES:
        snapshot = base_snapshot()
        snapshot[name_space][cls][0][prop] = None
        expected = "SMBiosData is null" if prop == "SMBiosData" else "Invalid use of Null: %s.%s" % (cls, prop)
        replay_failure(replay, snapshot, ["/PNP"], expected, failures)


def case_missing_properties(replay, kestro, failures):
    for name_space, cls, prop in PROPERTIES:
        snapshot = base_snapshot()
        del snapshot[name_space][cls][0][prop]
        replay_failure(replay, snapshot, [], "has no property " + prop, failures)


def case_wrong_value_kinds(replay, kestro, failures):
    for value in ["0 18 0", [], None]:
        snapshot = base_snapshot()
        if value == []:
            snapshot["root\\CIMV2"]["Win32_ComputerSystem"][0]["Model"] = [1, 2, 3]
            expected = "Type mismatch: Win32_ComputerSystem.Model"
        else:
            snapshot["root\\WMI"]["MSSmBios_RawSMBiosTables"][0]["SMBiosData"] = value
            expected = "Type mismatch: MSSmBios_RawSMBiosTables.SMBiosData"
        replay_failure(replay, snapshot, [], expected, failures)


# --- Reading the snapshot: bounded on every kind of file, one line per failure -

TOO_LARGE = " is over 1024 MiB, far larger than any machine's records; refused"
# name, shell command in a folder with a previous report and machine.json ($0 is kestro-replay), expected text
SNAPSHOT_READING = [
    ("endless device", '"$0" /dev/zero', "snapshot /dev/zero" + TOO_LARGE),
    ("1.2 GB pipe", 'head -c 1200000000 /dev/zero | tr "\\0" " " | "$0" /dev/stdin', "snapshot /dev/stdin" + TOO_LARGE),
    ("directory", '"$0" .', "run-time error 21: cannot read snapshot .: Is a directory"),
    ("line break in the name", '"$0" "$(printf "no\\nsuch.json")"', "cannot read snapshot no\\nsuch.json: No such file"),
    ("controls in a query's message", '"$0" machine.json', "run-time error 5: m\\x00\\n\\u0085\\x1B \\ end (Select"),
]


def case_snapshot_reading(replay, kestro, failures):
    # Memory is capped (ASan's own way under ASan) so that reading without end
    # fails instead of taking the machine's memory.
    cap = 3 << 30
    env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":hard_rss_limit_mb=%d" % (cap >> 20))
    sanitized = os.environ.get("KESTRO_SANITIZED") == "1"
    limit = None if sanitized else lambda: resource.setrlimit(resource.RLIMIT_AS, (cap, cap))
    snapshot = base_snapshot()
    snapshot["root\\CIMV2"]["Win32_BaseBoard"] = {"error": 5, "message": "m\0\n\x85\x1b \\ end"}
    for name, command, expected in SNAPSHOT_READING:
        with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
            (pathlib.Path(work) / "Kestro.ini").write_bytes(PREVIOUS)
            (pathlib.Path(work) / "machine.json").write_text(json.dumps(snapshot))
            run(["sh", "-c", command, replay], work, failures, 1, expected, preexec_fn=limit, env=env)
            failures.check((pathlib.Path(work) / "Kestro.ini").read_bytes() == PREVIOUS, name + ": previous report changed")
            failures.check(files_in(work) == ["Kestro.ini", "machine.json"], "%s: files now %s" % (name, files_in(work)))


# --- Output-side faults, through both programs --------------------------------

def programs(replay, kestro, work):
    (pathlib.Path(work) / "machine.json").write_text(json.dumps(big_snapshot(2000)))
    return [[replay, "machine.json"], [kestro]]


def output_failure(command, work, target, failures, expect_text):
    before = files_in(pathlib.Path(target).parent)
    run(command + ["/PNP", "/File:" + str(target)], work, failures, 1, expect_text)
    failures.check(pathlib.Path(target).read_bytes() == PREVIOUS, "%s: previous report changed" % target)
    failures.check(files_in(pathlib.Path(target).parent) == before, "%s: files now %s" % (target, files_in(pathlib.Path(target).parent)))


def case_dev_full(replay, kestro, failures):
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        for command in programs(replay, kestro, work):
            run(command + ["/File:/dev/full"], work, failures, 1, "No space left on device")


def case_symbolic_link_at_target(replay, kestro, failures):
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        for command in programs(replay, kestro, work):
            other = pathlib.Path(work) / "other.txt"
            other.write_bytes(PREVIOUS)
            link = pathlib.Path(work) / "Kestro.ini"
            if link.exists() or link.is_symlink():
                link.unlink()
            link.symlink_to(other)
            run(command, work, failures, 0, "")
            failures.check(other.read_bytes() == PREVIOUS, "the link's target was written")
            failures.check(not link.is_symlink() and link.read_bytes().startswith(b"[BIOS Strings]\r\n"),
                           "the link was not replaced by the report")


def in_private_mounts(script_case):
    """Re-runs this script's `script_case` inside a private mount namespace."""
    if os.geteuid() != 0:
        print("skipped: mounting needs root")
        return SKIP
    if subprocess.run(["unshare", "-m", "--propagation", "private", "true"], capture_output=True).returncode != 0:
        print("skipped: this machine allows no private mount namespace")
        return SKIP
    inner = subprocess.run(["unshare", "-m", "--propagation", "private", sys.executable, __file__] + sys.argv[1:3] +
                           [script_case])
    return inner.returncode


def mounted(arguments):
    result = subprocess.run(["mount"] + arguments, capture_output=True, text=True)
    if result.returncode != 0:
        print("skipped: mount %s failed: %s" % (" ".join(arguments), result.stderr.strip()))
    return result.returncode == 0


def inside_read_only_mount(replay, kestro, failures):
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        reports = pathlib.Path(work) / "reports"
        reports.mkdir()
        (reports / "Kestro.ini").write_bytes(PREVIOUS)
        if not mounted(["--bind", str(reports), str(reports)]):
            return SKIP
        if not mounted(["-o", "remount,ro,bind", str(reports)]):
            subprocess.run(["umount", str(reports)])
            return SKIP
        try:
            for command in programs(replay, kestro, work):
                output_failure(command, work, reports / "Kestro.ini", failures, "Read-only file system")
        finally:
            subprocess.run(["umount", str(reports)])


def inside_full_file_system(replay, kestro, failures):
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        reports = pathlib.Path(work) / "reports"
        reports.mkdir()
        if not mounted(["-t", "tmpfs", "-o", "size=4k", "tmpfs", str(reports)]):
            return SKIP
        try:
            (reports / "Kestro.ini").write_bytes(PREVIOUS)
            for command in programs(replay, kestro, work):
                output_failure(command, work, reports / "Kestro.ini", failures, "No space left on device")
        finally:
            subprocess.run(["umount", str(reports)])


def case_large_inputs(replay, kestro, failures):
    """Far larger than any machine: a 10 MB table and 100,000 devices. The run
    must finish (in time proportional to its input) with memory of the same
    order as its input."""
    snapshot = big_snapshot(100000)
    snapshot["root\\WMI"]["MSSmBios_RawSMBiosTables"][0]["SMBiosData"] = [7] * (10 * 1024 * 1024)
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        path = pathlib.Path(work) / "machine.json"
        path.write_text(json.dumps(snapshot))
        del snapshot
        # GNU time reports the program's own peak; a child's peak as Python
        # sees it would include the Python process it was forked from.
        result = run(["/usr/bin/time", "-f", "peak %M", replay, "machine.json", "/PNP", "/Type1"], work, failures,
                     0, "")
        report = (pathlib.Path(work) / "Kestro.ini").read_bytes()
        failures.check(report.count(b"\r\nPNPDEVICE") == 100000, "not every device is listed")
        peak_mib = int(result.stderr.decode().split("peak ")[-1]) / 1024
        input_mib = path.stat().st_size / (1 << 20)
        print("peak memory %d MiB for %d MiB of input" % (peak_mib, input_mib))
        # AddressSanitizer keeps freed memory in quarantine by design.
        if os.environ.get("KESTRO_SANITIZED") != "1":
            failures.check(peak_mib < 3 * input_mib + 32, "peak memory %d MiB for %d MiB of input" % (peak_mib, input_mib))


CASES = {
    "each-query-failing": case_each_query_failing,
    "null-values": case_null_values,
    "missing-properties": case_missing_properties,
    "wrong-value-kinds": case_wrong_value_kinds,
    "snapshot-reading": case_snapshot_reading,
    "dev-full": case_dev_full,
    "symbolic-link-at-target": case_symbolic_link_at_target,
    "large-inputs": case_large_inputs,
    "read-only-mount": lambda *a: in_private_mounts("inside-read-only-mount"),
    "full-file-system": lambda *a: in_private_mounts("inside-full-file-system"),
    "inside-read-only-mount": inside_read_only_mount,
    "inside-full-file-system": inside_full_file_system,
}


def main():
    replay, kestro, case = sys.argv[1], sys.argv[2], sys.argv[3]
    failures = Failures()
    status = CASES[case](replay, kestro, failures)
    if isinstance(status, int):
        return status
    for problem in failures.problems:
        print(case + ": " + problem)
    return 1 if failures.problems else 0


if __name__ == "__main__":
    sys.exit(main())
