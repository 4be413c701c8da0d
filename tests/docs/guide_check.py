#!/usr/bin/env python3
"""The engine guide against the code it describes.

usage: guide_check.py SOURCE_DIR
- the minimal program and its CMakeLists.txt are quoted byte for byte;
- every message quoted in the start-up table and in the table of fixed messages is a whole
  string literal of the engine's sources.
"""
import os
import re
import sys


def sources(root):
    text = []
    for top in ('algo', 'basic', 'util'):
        for d, _, files in os.walk(os.path.join(root, top)):
            for f in files:
                if f.endswith(('.cpp', '.hpp')):
                    with open(os.path.join(d, f), encoding='utf-8') as fh:
                        text.append(fh.read())
    return '\n'.join(text)


def table_cells(guide, heading, column):
    """The given column of the first table after the heading."""
    part = guide.split('\n' + heading + '\n', 1)
    if len(part) < 2:
        raise SystemExit('guide: no section %r' % heading)
    cells = []
    for line in part[1].split('\n## ', 1)[0].splitlines():
        if line.startswith('|') and not line.startswith('|---'):
            row = [c.strip() for c in line.strip('|').split(' | ')]
            if len(row) > column:
                cells.append(row[column])
    return cells[1:]  # the header row


def main():
    root = sys.argv[1]
    with open(os.path.join(root, 'docs', 'engine.md'), encoding='utf-8') as f:
        guide = f.read()
    problems = []
    for name, lang in (('main.cpp', 'cpp'), ('CMakeLists.txt', 'cmake')):
        with open(os.path.join(root, 'docs', 'minimal', name), encoding='utf-8') as f:
            quoted = '```%s\n%s```\n' % (lang, f.read())
        if quoted not in guide:
            problems.append('docs/engine.md does not quote docs/minimal/%s as it is' % name)
    code = sources(root)
    quoted = table_cells(guide, '## Start-up and shutdown', 3)
    quoted += table_cells(guide, "## The engine's fixed messages", 0)
    if len(quoted) < 60:
        problems.append('docs/engine.md: only %d table rows found' % len(quoted))
    for cell in quoted:
        for text in re.findall(r'`([^`]+)`', cell):
            # A whole string literal (a log line may carry its line break).
            if '"%s"' % text not in code and '"%s\\n"' % text not in code:
                problems.append('docs/engine.md quotes %r, which the engine does not have' % text)
    for p in problems:
        print(p)
    print('%d problems, %d table cells checked' % (len(problems), len(quoted)))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
