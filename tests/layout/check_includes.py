#!/usr/bin/env python3
"""Fails on an #include in src/ that crosses a layer the wrong way, by the
rules in src/include_rules.txt. Usage: check_includes.py SRC_DIR"""
import pathlib
import re
import sys

# The C++ standard library (the C headers only in their <cxxx> form).
STANDARD = set("""
algorithm any array atomic bit bitset cassert cctype cerrno charconv chrono climits cmath compare concepts
condition_variable csignal cstddef cstdint cstdio cstdlib cstring ctime cwchar exception filesystem format fstream
functional initializer_list iomanip ios iosfwd iostream istream iterator limits list locale map memory mutex
new numeric optional ostream queue random ranges ratio regex set shared_mutex span sstream stack stdexcept
streambuf string string_view system_error thread tuple type_traits typeinfo unordered_map unordered_set
utility variant vector version
""".split())
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def read_rules(path):
    rules = {}
    for line in path.read_text().splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        folder, rest = line.split(":", 1)
        allowed, _, system = rest.partition("system:")
        rules[folder.strip()] = (set(allowed.split()), set(system.split()))
    return rules


def check(src):
    rules = read_rules(src / "include_rules.txt")
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.parent.relative_to(src).as_posix()
        if folder not in rules:
            problems.append("%s: folder %s has no rule in include_rules.txt" % (path.relative_to(src), folder))
            continue
        allowed, system = rules[folder]
        for number, line in enumerate(path.read_text().splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, header = match.groups()
            where = "%s:%d: %s" % (path.relative_to(src), number, header)
            if kind == "<":
                if header not in STANDARD and "*" not in system and header not in system:
                    problems.append(where + " is not the standard library, which is all %s/ may use" % folder)
                continue
            target = pathlib.PurePosixPath(header).parent.as_posix()
            if (src / header).exists() and target != folder and target not in allowed:
                problems.append(where + " crosses from %s/ to %s/, which include_rules.txt does not allow" %
                                (folder, target))
    return problems


def main():
    problems = check(pathlib.Path(sys.argv[1]))
    for problem in problems:
        print(problem)
    print("%d include rule violation(s)" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
