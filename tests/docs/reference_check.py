#!/usr/bin/env python3
"""The API reference: every public member of the installed headers is documented.

usage: reference_check.py DOXYGEN SOURCE_DIR WORK_DIR
- doxygen with docs/Doxyfile (as `ninja docs` runs it), which extracts only what is documented
  and warns on every public member without a /// comment, gives no warning;
- its XML lists no public or protected member without a description: this also holds the
  members doxygen does not warn about (destructors, deleted copies, friends);
- every installed header (algo/, basic/, util/ outside private/) has a /// @file comment:
  doxygen says nothing of the free functions in an undocumented file whose namespace is not
  documented either.
"""
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def installed_headers(root):
    for top in ('algo', 'basic', 'util'):
        for d, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = sorted(x for x in dirs if x != 'private')
            for f in sorted(files):
                if f.endswith('.hpp'):
                    yield os.path.relpath(os.path.join(d, f), root)


def text(element):
    return '' if element is None else ''.join(element.itertext()).strip()


def undescribed(xml_dir, root):
    """Public and protected members with neither a brief nor a detailed description."""
    found = set()
    for name in sorted(os.listdir(xml_dir)):
        if not name.endswith('.xml') or name == 'index.xml':
            continue
        for m in ET.parse(os.path.join(xml_dir, name)).getroot().iter('memberdef'):
            if m.get('prot') == 'private':
                continue
            where = m.find('location')
            path = os.path.relpath(where.get('file'), root) if where is not None else '?'
            line = where.get('line') if where is not None else '?'
            if not (text(m.find('briefdescription')) or text(m.find('detaileddescription'))):
                what = (m.findtext('definition') or m.findtext('name') or '?') + \
                    (m.findtext('argsstring') or '')
                found.add('%s:%s: %s has no /// comment' % (path, line, what))
            for v in m.iter('enumvalue'):
                if not (text(v.find('briefdescription')) or text(v.find('detaileddescription'))):
                    found.add('%s:%s: enumerator %s has no /// comment' %
                              (path, line, v.findtext('name')))
    return sorted(found)


def main():
    doxygen, root, work = sys.argv[1:4]
    root = os.path.abspath(root)
    os.makedirs(work, exist_ok=True)
    log = os.path.join(work, 'warnings.log')
    config = os.path.join(work, 'Doxyfile')
    with open(config, 'w', encoding='utf-8') as f:
        f.write('@INCLUDE = %s\n' % os.path.join(root, 'docs', 'Doxyfile'))
        f.write('OUTPUT_DIRECTORY = %s\n' % work)
        f.write('WARN_LOGFILE = %s\n' % log)
        f.write('GENERATE_XML = YES\n')
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
    bare = undescribed(os.path.join(work, 'xml'), root) if run.returncode == 0 else []
    problems += bare
    for p in problems:
        print(p)
    print('%d problems, %d headers checked, %d doxygen warnings, %d members without a comment' %
          (len(problems), len(headers), len(warnings), len(bare)))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
