#!/usr/bin/python3
"""Copies a configuration file and sets some of its values.

    edit_config.py SOURCE TARGET [SECTION/KEY=VALUE ...]

The file is GBK with CRLF line ends and stays so. A key that is not in its section is an error,
so a misspelt name fails the test that asked for it instead of going unnoticed; a section that
is not in the file at all is added at its end with the keys given for it.
"""
import sys


def edit(text, changes):
    """text: the file's lines joined; changes: {(section, key): value}. Returns the new text."""
    pending = dict(changes)
    section = None
    lines = text.split("\r\n")
    sections = set()
    for i, line in enumerate(lines):
        stripped = line.strip()
        if stripped.startswith("[") and stripped.endswith("]"):
            section = stripped[1:-1]
            sections.add(section)
            continue
        key, sep, _ = line.partition("=")
        if sep and (section, key.strip()) in pending:
            lines[i] = key + "=" + pending.pop((section, key.strip()))
    added = [(s, k) for s, k in pending if s not in sections]
    if added:
        while lines and lines[-1] == "":
            lines.pop()
        for new in dict.fromkeys(s for s, _ in added):
            lines.append("[%s]" % new)
            lines += ["%s=%s" % (k, pending.pop((s, k))) for s, k in added if s == new]
        lines.append("")
    if pending:
        raise KeyError("not in the file: " + ", ".join("%s/%s" % k for k in pending))
    return "\r\n".join(lines)


def write(source, target, values):
    """Copies file source to target with values {"SECTION/KEY": value} set."""
    changes = {tuple(name.split("/", 1)): str(value) for name, value in values.items()}
    with open(source, encoding="gbk", newline="") as f:
        text = f.read()
    with open(target, "w", encoding="gbk", newline="") as f:
        f.write(edit(text, changes))


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    values = {}
    for assignment in argv[3:]:
        name, sep, value = assignment.partition("=")
        if not sep or "/" not in name:
            sys.stderr.write("edit_config.py: expected SECTION/KEY=VALUE, got %r\n" % assignment)
            return 2
        values[name] = value
    write(argv[1], argv[2], values)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
