#!/usr/bin/env python3
"""The API reference: doxygen over the installed headers gives no warning.

usage: reference_check.py DOXYGEN SOURCE_DIR WORK_DIR
- docs/Doxyfile extracts only what is documented and warns on every public member (function,
  field, enumerator, constant, typedef, macro) without a /// comment; any warning fails;
- every installed header (algo/, basic/, util/ outside private/) opens with a /// @file
  comment: doxygen lists the free functions of a file it knows, and says nothing of those in
  an undocumented file whose namespace is not documented either.
"""
import os
import subprocess
import sys


def installed_headers(root):
    for top in ('algo', 'basic', 'util'):
        for d, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = sorted(x for x in dirs if x != 'private')
            for f in sorted(files):
                if f.endswith('.hpp'):
                    yield os.path.relpath(os.path.join(d, f), root)


def main():
    doxygen, root, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    log = os.path.join(work, 'warnings.log')
    config = os.path.join(work, 'Doxyfile')
    with open(config, 'w', encoding='utf-8') as f:
        f.write('@INCLUDE = %s\n' % os.path.join(root, 'docs', 'Doxyfile'))
        f.write('OUTPUT_DIRECTORY = %s\n' % work)
        f.write('WARN_LOGFILE = %s\n' % log)
    problems = []
    headers = list(installed_headers(root))
    for h in headers:
        with open(os.path.join(root, h), encoding='utf-8') as f:
            if '/// @file' not in f.read():
                problems.append('%s: no "/// @file" comment, so doxygen would not see its '
                                'free functions' % h)
    # Run from the source root: the Doxyfile's paths are relative to it.
    run = subprocess.run([doxygen, config], cwd=root, capture_output=True, text=True)
    if run.returncode != 0:
        problems.append('doxygen exited with %d:\n%s' % (run.returncode, run.stderr))
    with open(log, encoding='utf-8') as f:
        warnings = sorted(set(line for line in f.read().splitlines() if line.strip()))
    problems += warnings
    for p in problems:
        print(p)
    print('%d problems, %d headers checked, %d doxygen warnings' %
          (len(problems), len(headers), len(warnings)))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
