#!/usr/bin/env python3
"""The version is stated once, in CMake's project(VERSION M.m.p): the rule
that makes its text form, the changelog's top entry and every version the
README names must agree with it.

Usage: check_version.py CMAKE SOURCE-DIR VERSION-TEXT PROJECT-VERSION"""
import pathlib
import re
import subprocess
import sys

cmake, source, text, version = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3], sys.argv[4]
problems = []


def rule(dotted):
    result = subprocess.run([cmake, "-DKESTRO_VERSION=" + dotted, "-P", str(source / "cmake/Version.cmake")],
                            capture_output=True, text=True)
    return result.stderr.strip() if result.returncode == 0 else None


for dotted, expected in [("1.0.0", "1.00"), ("1.1.0", "1.01"), ("2.10.3", "2.10"), ("1.100.0", None), (version, text)]:
    if rule(dotted) != expected:
        problems.append("%s gives %r, not %r" % (dotted, rule(dotted), expected))

top = (source / "packaging/debian/changelog").read_text().splitlines()[0]
if not top.startswith("kestro (%s-1) " % text):
    problems.append("the changelog's top entry is %r" % top)

readme = (source / "README.md").read_text()
named = {  # what the README names, by the pattern that finds it
    r"kestro(?:-viewer)?_([0-9.]+)-1_amd64\.deb": text,
    r"Kestro-([0-9.]+)-x64\.(?:msi|zip)": text,
    r"product version ([0-9.]+)": version,
    r'ProductVersion "([0-9.]+)"': text,
    r'ProductVersion "[0-9.]+"\s+\(([0-9.]+)\)': version + ".0",
}
for pattern, expected in named.items():
    found = re.findall(pattern, readme)
    if not found or any(value != expected for value in found):
        problems.append("README: %s names %s, not %s" % (pattern, sorted(set(found)) or "nothing", expected))

for problem in problems:
    print("FAIL " + problem)
sys.exit(1 if problems else 0)
