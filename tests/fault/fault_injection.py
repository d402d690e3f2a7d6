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
import shutil
import signal
import socket
import stat
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
        for command in programs(replay, kestro, work) + [[replay, "machine.json", "--json"]]:
            run(command + ["/File:/dev/full"], work, failures, 1, "No space left on device")


def case_symbolic_link_at_target(replay, kestro, failures):
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        rows = [(command, "Kestro.ini", b"[BIOS Strings]\r\n") for command in programs(replay, kestro, work)]
        rows.append(([replay, "machine.json", "--json"], "Kestro.json", b'{\n  "kestro": '))
        for command, name, start in rows:
            other = pathlib.Path(work) / "other.txt"
            other.write_bytes(PREVIOUS)
            link = pathlib.Path(work) / name
            if link.exists() or link.is_symlink():
                link.unlink()
            link.symlink_to(other)
            run(command, work, failures, 0, "")
            failures.check(other.read_bytes() == PREVIOUS, "the link's target was written")
            failures.check(not link.is_symlink() and link.read_bytes().startswith(start),
                           "%s: the link was not replaced by the report" % name)


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


# --- The writer: what stands at the target, own descriptors, signals ----------

def writer_run(command, work, failures, expect, stdout=subprocess.DEVNULL, env=None):
    """`expect`: 0, a text the one-line failure holds, or -N for death by signal N without a word."""
    label = " ".join(str(c) for c in command)
    try:
        result = subprocess.run(command, cwd=work, stdout=stdout, stderr=subprocess.PIPE, timeout=30, env=env)
    except subprocess.TimeoutExpired:
        failures.check(False, "%s: still running after 30 s" % label)
        return subprocess.CompletedProcess(command, None, b"", b"")
    stderr = result.stderr.decode("utf-8", "replace")
    if isinstance(expect, str):
        failures.check(result.returncode == 1 and expect in stderr and stderr.count("\n") == 1,
                       "%s: exit %d, stderr %r, expected %r" % (label, result.returncode, stderr, expect))
    else:
        failures.check(result.returncode == expect and (expect == 0 or stderr == ""),
                       "%s: exit %d, stderr %r, expected %d" % (label, result.returncode, stderr, expect))
    return result


def reference_report(replay, work):
    subprocess.run([replay, "machine.json", "/PNP", "/File:reference.ini"], cwd=work, check=True)
    report = (pathlib.Path(work) / "reference.ini").read_bytes()
    (pathlib.Path(work) / "reference.ini").unlink()
    return report


def kinds_in(folder):
    """Each entry's type, device number and link target: what must be kept."""
    def kind(p):
        st = os.lstat(p)
        return (stat.S_IFMT(st.st_mode), st.st_rdev, os.readlink(p) if p.is_symlink() else None)
    return {p.name: kind(p) for p in pathlib.Path(folder).iterdir()}


# strace delivers the signal (or the error) at the given call of the writer:
# while the report is written, when it is flushed, when the finished
# temporary file gets its name, and the directory flush after the rename.
SIGNAL_ROWS = [("write", "signal=INT", -signal.SIGINT, False), ("fsync", "signal=TERM", -signal.SIGTERM, False),
               ("linkat", "signal=HUP", -signal.SIGHUP, False), ("fsync", "signal=KILL", -signal.SIGKILL, False),
               ("fsync", "error=EIO", "Input/output error", False), ("fsync", "error=EINVAL", 0, True),
               ("fsync", "error=EIO:when=2", 0, True)]
# Where the unnamed file cannot be named (here: its naming made to fail), the
# report is written again into a named temporary file: the second write and
# flush are that file's, the third flush the directory's.
NAMED_TEMPORARY_ROWS = [("write", "signal=INT:when=2", -signal.SIGINT, False),
                        ("fsync", "signal=TERM:when=2", -signal.SIGTERM, False),
                        ("fsync", "error=EIO:when=2", "Input/output error", False),
                        ("fsync", "error=EINVAL:when=2", 0, True), ("fsync", "error=EIO:when=3", 0, True)]
UNNAMEABLE = ["-e", "inject=linkat:error=ENOENT"]  # with linkat traced


def signal_rows(replay, failures, rows, unnameable=False):
    if shutil.which("strace") is None:
        print("skipped: no strace")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        (pathlib.Path(work) / "machine.json").write_text(json.dumps(big_snapshot(20000)))
        report = reference_report(replay, work)
        traced = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")  # LeakSanitizer cannot work under a tracer
        for call, injected, expect, replaced in rows:
            (pathlib.Path(work) / "Kestro.ini").write_bytes(PREVIOUS)
            traced_calls = call + (",linkat" if unnameable else "")
            writer_run(["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + traced_calls, "-e",
                        "inject=%s:%s" % (call, injected)] + (UNNAMEABLE if unnameable else []) +
                       [replay, "machine.json", "/PNP"], work, failures, expect, env=traced)
            kept = (pathlib.Path(work) / "Kestro.ini").read_bytes()
            failures.check(kept == (report if replaced else PREVIOUS), "%s %s: wrong report kept" % (call, injected))
            failures.check(files_in(work) == ["Kestro.ini", "machine.json"], "%s %s: files now %s" %
                           (call, injected, files_in(work)))


def named_temporary_access(replay, failures):
    """The named temporary file is its owner's alone until written; then it gets the mode it keeps."""
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        (pathlib.Path(work) / "machine.json").write_text(json.dumps(base_snapshot()))
        (pathlib.Path(work) / "Kestro.ini").write_bytes(PREVIOUS)
        os.chmod(pathlib.Path(work) / "Kestro.ini", 0o644)
        log = pathlib.Path(work) / "calls"
        writer_run(["strace", "-qq", "-o", str(log), "-e", "trace=openat,write,fchmod,linkat"] + UNNAMEABLE +
                   [replay, "machine.json"], work, failures, 0)
        calls = log.read_text().splitlines()
        log.unlink()
        created = [number for number, line in enumerate(calls) if "O_CREAT|O_EXCL" in line]
        failures.check(len(created) == 1 and calls[created[0]].split(", ")[-1].startswith("0600)"),
                       "named temporary file: %s" % calls)
        after = [line.split("(")[0] for line in calls[created[-1] + 1:]] if created else []
        failures.check(after[:2] == ["write", "fchmod"], "its mode given before it was written: %s" % after)
        failures.check(stat.S_IMODE(os.stat(pathlib.Path(work) / "Kestro.ini").st_mode) == 0o644, "mode not kept")


def inside_named_temporary_signals(replay, kestro, failures):
    """Without /proc the unnamed file is named through its descriptor; where
    that is refused, the writer uses a named temporary file."""
    if os.environ.get("KESTRO_SANITIZED") == "1":
        print("skipped: the sanitizers' runtime needs /proc")
        return SKIP
    if not mounted(["-t", "tmpfs", "tmpfs", "/proc"]):
        return SKIP
    if signal_rows(replay, failures, SIGNAL_ROWS) == SKIP:
        return SKIP
    signal_rows(replay, failures, NAMED_TEMPORARY_ROWS, unnameable=True)
    named_temporary_access(replay, failures)


def unassigned_major(kind):
    """A device number no driver has here (the local/experimental range), so
    that even a wrong writer could do nothing with the node."""
    section = (pathlib.Path("/proc/devices").read_text().split("Block devices:")[kind == "b"]).split()
    return next(major for major in range(240, 255) if str(major) not in section)


def may_make_devices(folder):
    try:
        os.mknod(folder / "probe", 0o600 | stat.S_IFCHR, os.makedev(1, 3))
        (folder / "probe").unlink()
        return True
    except PermissionError:
        print("skipped: no device nodes may be made here (a user namespace)")
        return False


def inside_planted_devices(replay, kestro, failures):
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        if not mounted(["-t", "tmpfs", "tmpfs", work]):
            return SKIP
        try:
            if not may_make_devices(pathlib.Path(work)):
                return SKIP
            planted_device_rows(replay, pathlib.Path(work), failures)
        finally:
            subprocess.run(["umount", work])


def planted_device_rows(replay, work, failures):
    (work / "machine.json").write_text(json.dumps(base_snapshot()))
    report = reference_report(replay, work)
    block = lambda at: os.mknod(at, 0o600 | stat.S_IFBLK, os.makedev(unassigned_major("b"), 0))
    char = lambda at: os.mknod(at, 0o600 | stat.S_IFCHR, os.makedev(unassigned_major("c"), 0))
    socket_at = lambda at: socket.socket(socket.AF_UNIX).bind(str(at))
    rows = [  # (planted at "Kestro.ini", arguments, expected)
        (lambda at: (block(work / "disk"), at.symlink_to("disk")), [], 0),
        (block, [], 0), (char, [], 0),
        (block, ["/File:Kestro.ini"], "refusing to write the report onto a block device"),
        (lambda at: (block(work / "disk"), at.symlink_to("disk")), ["/File:Kestro.ini"], 0),
        (char, ["/File:Kestro.ini"], "No such device or address"),
        (socket_at, ["/File:Kestro.ini"], "No such device or address"),
    ]
    for number, (plant, arguments, expect) in enumerate(rows):
        for entry in files_in(work):
            if entry != "machine.json":
                (work / entry).unlink()
        plant(work / "Kestro.ini")
        before = kinds_in(work)
        writer_run([replay, "machine.json", "/PNP"] + arguments, work, failures, expect)
        after = kinds_in(work)
        if expect == 0:
            failures.check(after["Kestro.ini"][0] == stat.S_IFREG and (work / "Kestro.ini").read_bytes() == report,
                           "row %d: no report" % number)
            before["Kestro.ini"] = after["Kestro.ini"] = None
        failures.check(after == before, "row %d: %s became %s" % (number, before, after))


def inside_own_descriptors(replay, kestro, failures, without_proc=False):
    """A private /dev, so that a writer replacing /dev/stdout replaces only its copy;
    `without_proc`: with an empty /proc, as containers and chroots often have."""
    if not mounted(["-t", "tmpfs", "tmpfs", "/dev"]) or not may_make_devices(pathlib.Path("/dev")):
        return SKIP
    for name, target in [("stdout", "/proc/self/fd/1"), ("stderr", "/proc/self/fd/2"), ("fd", "/proc/self/fd")]:
        os.symlink(target, "/dev/" + name)
    os.mknod("/dev/null", 0o666 | stat.S_IFCHR, os.makedev(1, 3))
    dev = kinds_in("/dev")
    if without_proc and (os.environ.get("KESTRO_SANITIZED") == "1" or not mounted(["-t", "tmpfs", "tmpfs", "/proc"])):
        print("skipped: the sanitizers' runtime needs /proc")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="kestro-fault-") as work:
        work = pathlib.Path(work)
        (work / "machine.json").write_text(json.dumps(base_snapshot()))
        report = reference_report(replay, work)
        rows = [  # (arguments, link planted as Kestro.ini, how standard output is opened, what it then holds)
            (["/File:/dev/stdout"], "/dev/stdout", "wb", report),
            (["/File:/dev/stdout"], "/dev/stdout", "ab", PREVIOUS + report),
            (["/File:/proc/thread-self/fd/1"], "/dev/stdout", "ab", PREVIOUS + report),
            (["/File:Kestro.ini"], "/dev/fd/1", "ab", PREVIOUS + report),
            # Under the default name every link is replaced, wherever it leads.
            ([], "/dev/stdout", "ab", PREVIOUS), ([], "/dev/stderr", "ab", PREVIOUS), ([], "/proc/self/fd/0", "ab", PREVIOUS),
        ]
        for arguments, planted, mode, expected in rows:
            label = "%s over %s" % (arguments, planted)
            (work / "Kestro.ini").unlink(missing_ok=True)
            (work / "Kestro.ini").symlink_to(planted)
            (work / "out.txt").write_bytes(PREVIOUS)
            with open(work / "out.txt", mode) as out:
                writer_run([replay, "machine.json", "/PNP"] + arguments, work, failures, 0, stdout=out)
            failures.check((work / "out.txt").read_bytes() == expected, "%s %s: wrong output" % (label, mode))
            replaced = not (work / "Kestro.ini").is_symlink()
            failures.check(replaced == (arguments == []), "%s: the link was %s" % (label, "replaced" if replaced else "kept"))
            if replaced:
                failures.check((work / "Kestro.ini").read_bytes() == report, "%s: no report in its place" % label)
        piped = writer_run([replay, "machine.json", "/PNP", "/File:/dev/stdout"], work, failures, 0, subprocess.PIPE)
        failures.check(piped.stdout == report, "the pipe got %d bytes" % len(piped.stdout))
        # A pipe without reader: the write's error, not death by SIGPIPE.
        reader, writer = os.pipe()
        os.close(reader)
        writer_run([replay, "machine.json", "/PNP", "/File:/dev/stdout"], work, failures,
                   "run-time error 32: cannot write the report file '/dev/stdout': Broken pipe", stdout=writer)
        os.close(writer)
        failures.check(files_in(work) == ["Kestro.ini", "machine.json", "out.txt"], "files now %s" % files_in(work))
    failures.check(kinds_in("/dev") == dev, "/dev changed: %s" % kinds_in("/dev"))


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
    "writer-signals": lambda replay, kestro, failures: signal_rows(replay, failures, SIGNAL_ROWS),
    "writer-signals-named-temporary": lambda *a: in_private_mounts("inside-named-temporary-signals"),
    "planted-devices": lambda *a: in_private_mounts("inside-planted-devices"),
    "own-descriptors": lambda *a: in_private_mounts("inside-own-descriptors"),
    "inside-named-temporary-signals": inside_named_temporary_signals,
    "inside-planted-devices": inside_planted_devices,
    "inside-own-descriptors": inside_own_descriptors,
    "own-descriptors-without-proc": lambda *a: in_private_mounts("inside-own-descriptors-without-proc"),
    "inside-own-descriptors-without-proc": lambda replay, kestro, failures:
        inside_own_descriptors(replay, kestro, failures, without_proc=True),
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
