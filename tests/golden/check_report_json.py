#!/usr/bin/python3
"""Checks a JSON report against the INI report of the same run, and against
the schema, with Debian's python3-jsonschema. The rule: the document's
sections are the INI's, in order; in each section its keys are the INI's
keys in order of first appearance; each key's values, in order, converted to
the code page as the INI writer converts them, are exactly the INI's values
of that key ("PNP" is the array of the PNPDEVICE<n> values).

Usage: check_report_json.py SCHEMA INI JSON     prints the problems, exit 1 when there are any
       check_report_json.py SCHEMA --rejects    checks that the schema refuses wrong documents"""
import json
import sys

import jsonschema

# Windows-1252 as the INI writer has it: the five bytes the code page leaves
# undefined stand for U+0081, U+008D, U+008F, U+0090 and U+009D; any other
# character becomes "?".
CODE_PAGE = {}
for byte in range(256):
    try:
        CODE_PAGE[bytes([byte]).decode("cp1252")] = bytes([byte])
    except UnicodeDecodeError:
        CODE_PAGE[chr(byte)] = bytes([byte])


def to_code_page(text):
    return b"".join(CODE_PAGE.get(character, b"?") for character in text)


def ini_sections(data):
    """[(section, [(key, value)])] of the INI bytes."""
    sections = []
    for line in data.split(b"\r\n"):
        if line.startswith(b"[") and line.endswith(b"]") and b"=" not in line:
            sections.append((line[1:-1], []))
        elif b"=" in line:
            key, value = line.split(b"=", 1)
            sections[-1][1].append((key, value))
    return sections


def problems_of(document, ini):
    problems = []
    report = document["report"]
    sections = ini_sections(ini)
    names = [name.decode("cp1252") for name, _ in sections]
    if list(report) != names:
        return ["sections %s, the INI's %s" % (list(report), names)]
    for (name, lines), (json_name, content) in zip(sections, report.items()):
        if name == b"PNP":
            expected = [b"PNPDEVICE%d" % n for n in range(len(lines))]
            if [key for key, _ in lines] != expected or [to_code_page(v) for v in content] != [v for _, v in lines]:
                problems.append("PNP differs")
            continue
        keys = list(dict.fromkeys(key for key, _ in lines))
        if [key.encode("cp1252") for key in content] != keys:
            problems.append("%s: keys %s, the INI's %s" % (json_name, list(content), keys))
            continue
        for key, value in content.items():
            values = value if isinstance(value, list) else [value]
            ini_values = [v for k, v in lines if k == key.encode("cp1252")]
            if [to_code_page(v) for v in values] != ini_values:
                problems.append("%s.%s: %r, the INI's %r" % (json_name, key, values, ini_values))
    return problems


def validator(schema_path):
    schema = json.loads(open(schema_path, encoding="utf-8").read())
    jsonschema.Draft202012Validator.check_schema(schema)
    return jsonschema.Draft202012Validator(schema)


def rejections(check):
    good = {"kestro": {"version": "1.00", "format": 1},
            "report": {"BIOS Strings": {"Manufacturer": ["ZQ"], "BrandName": "Unknown", "ModelName": "Unknown",
                                        "SKUNumber": "Unknown", "FleetmediaFlag": "0", "ChannelID": "0",
                                        "BiosCharacteristics": "0 0", "WebCam": ["0"], "Bluetooth": "0",
                                        "WWAN": "0", "TouchPanel": "0", "FingerPrint": "0"},
                       "Versions": {"Version": "1.05", "ReleaseDate": "2006/10/31", "SpecVersion": "1.05",
                                    "SpecReleaseDate": "2006/10/31"}}}
    problems = [] if check.is_valid(good) else ["a good document is refused"]
    wrong = {  # what each wrong document changes of the good one
        "a repeatable key as a string": lambda d: d["report"]["BIOS Strings"].update(WebCam="0"),
        "an unknown section": lambda d: d["report"].update(Extra={}),
        "an unknown key": lambda d: d["report"]["Versions"].update(Build="7"),
        "a later format": lambda d: d["kestro"].update(format=2),
        "a missing section": lambda d: d["report"].pop("Versions"),
    }
    for name, change in wrong.items():
        document = json.loads(json.dumps(good))
        change(document)
        if check.is_valid(document):
            problems.append("the schema takes " + name)
    return problems


def main():
    check = validator(sys.argv[1])
    if sys.argv[2] == "--rejects":
        problems = rejections(check)
    else:
        ini = open(sys.argv[2], "rb").read()
        data = open(sys.argv[3], "rb").read()
        document = json.loads(data.decode("utf-8"))
        problems = ["schema: " + error.message for error in check.iter_errors(document)]
        problems += problems_of(document, ini)
        if not data.endswith(b"}\n") or b"\r" in data:
            problems.append("not LF line ends with one newline at the end")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
