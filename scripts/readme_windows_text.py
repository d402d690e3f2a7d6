#!/usr/bin/env python3
"""Prints the README's Windows sections as plain text with CR LF line ends,
for README.txt beside the Windows programs: the title and the opening
paragraphs, then every section whose heading names Windows, with the
sections under it. Inline markup is dropped, code blocks are indented, and
the markers of the examples (HTML comments) are left out. UTF-8 with a
byte order mark, by which every Windows editor knows the encoding.

Usage: readme_windows_text.py README.md > README.txt"""
import re
import sys


def sections(lines):
    """Yields (level, heading trail, body lines) per heading; level 1 is the
    title, whose body is the opening text."""
    trail, body, level = [], [], 0
    fenced = False
    for line in lines:
        heading = None if fenced else re.match(r"(#{1,6}) (.*)", line)
        fenced ^= line.startswith("```")
        if heading:
            yield level, trail, body
            level = len(heading.group(1))
            trail = trail[: level - 1] + [heading.group(2)]
            body = []
        else:
            body.append(line)
    yield level, trail, body


def plain(line):
    line = re.sub(r"\[([^]]*)\]\(([^)]*)\)", r"\1 (\2)", line)
    return line.replace("`", "").replace("**", "")


def windows_text(markdown):
    out, fenced = [], False
    for level, trail, body in sections(markdown.splitlines()):
        if level == 0 or (level > 1 and not any("Windows" in h for h in trail[1:])):
            continue
        title = ": ".join(trail[1:]) if level > 1 else trail[0]
        out += [title, ("=" if level <= 2 else "-") * len(title)]
        for line in body:
            if line.startswith("```"):
                fenced = not fenced
            elif re.fullmatch(r"\s*<!--.*-->\s*", line):
                continue
            else:
                out.append("    " + line if fenced and line else line if fenced else plain(line))
        while out and not out[-1]:
            out.pop()
        out.append("")
    return "".join(line + "\r\n" for line in out)


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8") as readme:
        sys.stdout.buffer.write(windows_text(readme.read()).encode("utf-8-sig"))
