#!/usr/bin/python3
"""Copies a configuration file and sets some of its values.

    edit_config.py SOURCE TARGET [SECTION/KEY=VALUE ...]

The file is GBK with CRLF line ends and stays so. A key that is not in its section is an error,
so a misspelt name fails the test that asked for it instead of going unnoticed.
"""
import sys


def edit(text, changes):
    """text: the file's lines joined; changes: {(section, key): value}. Returns the new text."""
    pending = dict(changes)
    section = None
    lines = text.split("\r\n")
    for i, line in enumerate(lines):
        stripped = line.strip()
        if stripped.startswith("[") and stripped.endswith("]"):
            section = stripped[1:-1]
            continue
        key, sep, _ = line.partition("=")
        if sep and (section, key.strip()) in pending:
            lines[i] = key + "=" + pending.pop((section, key.strip()))
    if pending:
        raise KeyError("not in the file: " + ", ".join("%s/%s" % k for k in pending))
    return "\r\n".join(lines)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    changes = {}
    for assignment in argv[3:]:
        name, sep, value = assignment.partition("=")
        section, slash, key = name.partition("/")
        if not sep or not slash:
            sys.stderr.write("edit_config.py: expected SECTION/KEY=VALUE, got %r\n" % assignment)
            return 2
        changes[(section, key)] = value
    with open(argv[1], encoding="gbk", newline="") as source:
        text = source.read()
    with open(argv[2], "w", encoding="gbk", newline="") as target:
        target.write(edit(text, changes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
