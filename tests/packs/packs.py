#!/usr/bin/env python3
"""Level packs end to end: starhop-levels, starhop-replay --levels and starhop --levels.

usage: packs.py --bin DIR --data DIR CASE
Cases: builtin (check finds a route through each of the game's own levels, taken as a pack),
play (a three-level pack made by `pack` from text grids, routes from `solve`, played from the
title to the clear screen; proofs checked), hostile (every bad pack or bitmap is one line
naming the file, status 1, nothing started), tool (the tool's own refusals).
DIR defaults to build/ and build/data of the repository.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'support'))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'e2e'))
from checks import cases, check, run_case  # noqa: E402
from bmp import bmp24, bmp8, level_bmp  # noqa: E402

ARGS = None
TIMEOUT = 300


def grid(*rows):
    """A level from the rows that differ from an empty room: {row: 'text of 30 cells'}."""
    lines = ['#' * 32] + ['#' + '.' * 30 + '#' for _ in range(29)] + ['#' * 32, '#' * 32]
    for r, inner in rows:
        assert len(inner) == 30, inner
        lines[r] = '#' + inner + '#'
    return lines


# Three small levels: a walk, steps up, a thorn pit with a block that goes at the clear.
LEVELS = [
    grid((29, '.S.....*.......*.......*......')),
    grid((23, '................*.............'),
         (24, '..............#####...........'),
         (26, '.........*....................'),
         (27, '.......#####..................'),
         (29, '.S.........................*..')),
    grid((29, '.S9.B..............*.......*..'),
         (30, '.............^^...............')),
]


def text(lines):
    return ''.join(l + '\n' for l in lines)


def work_dir():
    work = tempfile.mkdtemp(prefix='starhop-packs-')
    os.symlink(os.path.abspath(ARGS.data), os.path.join(work, 'data'))
    return work


def program(name):
    return os.path.join(ARGS.bin, name)


def run(cmd, cwd, timeout=TIMEOUT):
    p = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    return p.returncode, p.stdout, p.stderr


def log_of(work):
    with open(os.path.join(work, 'stdout.txt'), encoding='utf-8', errors='replace') as f:
        return f.read()


def trace_of(work, name='trace.jsonl'):
    with open(os.path.join(work, name)) as f:
        return [json.loads(line) for line in f]


def table(out):
    """check's rows by level number: the lines that start with a level and its stars."""
    rows = {}
    for line in out.splitlines():
        words = line.split()
        if len(words) > 2 and words[0].isdigit() and words[1].isdigit():
            rows[words[0]] = line
    return rows


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb' if isinstance(content, bytes) else 'w') as f:
        f.write(content)


# ---------------------------------------------------------------- cases

def case_builtin():
    """The game's own data folder as a pack: every level keeps the rules and has a route,
    found without hints."""
    work = work_dir()
    status, out, err = run([program('starhop-levels'), 'check', ARGS.data], work, timeout=1200)
    check(status == 0, 'check of the built-in levels exited with %d\n%s%s' % (status, out, err))
    rows = table(out)
    check(sorted(rows, key=int) == [str(n) for n in range(1, 9)], 'rows for levels %s' %
          sorted(rows))
    for n, row in rows.items():
        check(row.split()[2:4] == ['found', 'in'], 'level %s: %s' % (n, row))
    print(out, end='')


def check_level_records(records, n, i):
    """Level n played from record i to its end without a death; the index after it."""
    seen = False
    while i < len(records) and records[i]['scene'] == 'play' and records[i]['level'] == n:
        check(not records[i]['corpses'], 'level %d: a death on pass %d' % (n, records[i]['pass']))
        seen = True
        i += 1
    check(seen, 'level %d was never played' % n)
    check(records[i - 1]['rest'] <= -59, 'level %d ended with %d stars left' %
          (n, records[i - 1]['rest']))
    return i


def case_play():
    """A pack made from text grids with the game's first tune, routes found by solve, played
    through the replay runner from the title to the clear screen; then the same routes as the
    pack's proofs, one of them cut short."""
    work = work_dir()
    src = os.path.join(work, 'src')
    for n, lines in enumerate(LEVELS, 1):
        write(os.path.join(src, 'map%d.txt' % n), text(lines))
    shutil.copy(os.path.join(ARGS.data, 'jump.ogg'), src)
    tool = program('starhop-levels')
    status, out, err = run([tool, 'pack', 'src', '-o', 'pack.zip'], work)
    check(status == 0, 'pack exited with %d: %s' % (status, err))
    check(out == 'pack.zip: 3 levels, jump.ogg\n', 'pack said %r' % out)
    with zipfile.ZipFile(os.path.join(work, 'pack.zip')) as z:
        check(sorted(z.namelist()) == ['jump.ogg', 'map1.bmp', 'map2.bmp', 'map3.bmp'],
              'the archive holds %s' % z.namelist())
        check(z.read('map2.bmp')[-1024:] == level_bmp(LEVELS[1])[-1024:],
              'map2.bmp is not the text level')

    routes = []
    for n in (1, 2, 3):
        status, out, err = run([tool, 'solve', str(n), 'pack.zip', '-o', 'route%d.txt' % n],
                               work)
        check(status == 0, 'solve %d exited with %d: %s%s' % (n, status, out, err))
        with open(os.path.join(work, 'route%d.txt' % n)) as f:
            routes.append(f.read())
    script = '1 z  # HAZIMEKARA\n' + ''.join(routes) + '30 -\n1 z  # back to the title\n10 -\n'
    write(os.path.join(work, 'game.txt'), script)
    status, out, err = run([program('starhop-replay'), '--levels', 'pack.zip', '--trace',
                            'trace.jsonl', 'game.txt'], work)
    check(status == 0, 'the replay exited with %d: %s' % (status, err))
    check('Level pack: pack.zip, 3 levels' in log_of(work), 'the log does not name the pack')
    records = trace_of(work)
    i = 0
    while records[i]['scene'] == 'title':
        i += 1
    for n in (1, 2, 3):
        i = check_level_records(records, n, i)
    check(records[i]['scene'] == 'clear', 'after the third level: %s' % records[i]['scene'])
    clear = records[i]
    check(records[-1]['scene'] == 'title', 'no way back to the title')
    print('the pack played to the clear screen: %s s, grade %d' %
          (clear['timeText'], clear['grade']))

    # Proofs: levels 1 and 2 with their routes, level 3 with its route cut to the first
    # half of its key lines.
    proofs = os.path.join(work, 'proofs')
    shutil.copytree(src, proofs)
    write(os.path.join(proofs, 'map1.proof'), routes[0])
    write(os.path.join(proofs, 'map2.proof'), routes[1])
    keys = [l for l in routes[2].splitlines() if l and not l.startswith('#')]
    write(os.path.join(proofs, 'map3.proof'), '\n'.join(keys[:len(keys) // 2]) + '\n')
    status, out, err = run([tool, 'pack', 'proofs', '-o', 'proved.zip'], work)
    check(status == 0 and out == 'proved.zip: 3 levels, 3 proofs, jump.ogg\n',
          'pack with proofs: %d %r %s' % (status, out, err))
    status, out, err = run([tool, 'check', '--time-limit', '20', 'proved.zip'], work)
    rows = table(out)
    check(status == 1, 'check passed a pack whose proof fails:\n' + out)
    check(sorted(rows) == ['1', '2', '3'], 'rows: %s' % out)
    for n in ('1', '2'):
        check('found in' in rows[n] and 'clears the level in' in rows[n], 'row ' + rows[n])
    check('FAILS: the proof ends on pass' in rows['3'], 'row ' + rows['3'])
    check('3 proofs replayed, 1 of them failing' in out, out)
    # The interface's own test of a proof: the replay runner reaches the next level.
    with zipfile.ZipFile(os.path.join(work, 'proved.zip')) as z:
        write(os.path.join(work, 'proof2.txt'), z.read('map2.proof'))
    status, _, err = run([program('starhop-replay'), '--levels', 'proved.zip', '--level', '2',
                          '--trace', 'proof.jsonl', 'proof2.txt'], work)
    last = trace_of(work, 'proof.jsonl')[-1]
    check(status == 0 and last['scene'] == 'play' and last['level'] == 3,
          'the proof of level 2 replayed ends in %s' % last)
    print(out, end='')
    shutil.rmtree(work, ignore_errors=True)


def zip_of(path, members, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, 'w', method) as z:
        for name, data in members.items():
            z.writestr(name, data)


def good_bmp(n=1):
    with open(os.path.join(ARGS.data, 'map%d.bmp' % n), 'rb') as f:
        return f.read()


def hostile_cases(work):
    """(name, the pack path to give, what the line must say); each builds its pack."""
    good = good_bmp()
    level = [list(range(16)) * 2 for _ in range(32)]
    out = []

    def folder(name, files, expect, path=None):
        d = os.path.join(work, name)
        os.makedirs(d)
        for member, data in files.items():
            if callable(data):
                data(os.path.join(d, member))
            else:
                write(os.path.join(d, member), data)
        out.append((name, path or name, expect))

    def archive(name, members, expect, method=zipfile.ZIP_DEFLATED, patch=None):
        path = os.path.join(work, name + '.zip')
        zip_of(path, members, method)
        if patch:
            with open(path, 'rb') as f:
                data = bytearray(f.read())
            patch(data)
            with open(path, 'wb') as f:
                f.write(data)
        out.append((name, name + '.zip', expect))

    def corrupt(data):
        data[30 + len('map1.bmp') + 100] ^= 0x55  # inside the stored bitmap

    def damaged_directory(data):
        del data[-30:]

    cut = bmp8(32, 32, level)
    nopalette = bytearray(cut[:54] + cut[-1024:])
    nopalette[10:14] = (54).to_bytes(4, 'little')
    high = bytearray(good)
    high[-1] = 200
    folder('gap', {'map1.bmp': good, 'map3.bmp': good},
           'gap/map2.bmp: missing, but map3.bmp is there')
    folder('size', {'map1.bmp': bmp8(33, 32, [r + [0] for r in level])},
           'size/map1.bmp: a level bitmap is 32 x 32, this one 33 x 32')
    folder('depth', {'map1.bmp': bmp24(32, 32)}, 'depth/map1.bmp: a level bitmap has 8 bits '
           'per pixel and a palette, this one 24 bits per pixel')
    folder('nopalette', {'map1.bmp': bytes(nopalette)},
           'nopalette/map1.bmp: a level bitmap has a palette, this one none')
    folder('codes', {'map1.bmp': bytes(high)},
           'codes/map1.bmp: column 31, row 0 holds code 200, above 15')
    folder('truncated', {'map1.bmp': good[:600]}, 'truncated/map1.bmp: pixel data is cut short')
    folder('empty', {}, 'empty: no levels in the pack')
    folder('fifo', {'map1.bmp': good, 'map2.bmp': lambda p: os.mkfifo(p)},
           'fifo/map2.bmp: is not a regular file')
    folder('zero', {'map1.bmp': lambda p: os.symlink('/dev/zero', p)},
           'zero/map1.bmp: is not a regular file')
    folder('dir', {'map1.bmp': lambda p: os.mkdir(p)},
           'dir/map1.bmp: is a directory, not a file')
    folder('huge', {'map1.bmp': good + b'\0' * 70000},
           'huge/map1.bmp: is 72102 bytes, more than the 65536 it may have')
    folder('zeros', {'map01.bmp': good}, 'zeros/map01.bmp: levels are numbered from 1 without '
           'leading zeros')
    folder('tune', {'map1.bmp': good, 'jump2.ogg': b'RIFF' + b'\0' * 100},
           'tune/jump2.ogg: not an Ogg Vorbis file')
    folder('notapack', {}, 'notapack/level.txt: a level pack is a folder or a .zip archive',
           path='notapack/level.txt')
    write(os.path.join(work, 'notapack', 'level.txt'), text(LEVELS[0]))
    out.append(('missing', 'nowhere.zip', 'nowhere.zip: no such folder or archive'))
    write(os.path.join(work, 'garbage.zip'), b'this is no archive at all' * 10)
    out.append(('garbage', 'garbage.zip', 'garbage.zip: not a readable ZIP archive'))
    archive('damaged', {'map1.bmp': good}, 'damaged.zip [map1.bmp]: damaged member (CRC error)',
            method=zipfile.ZIP_STORED, patch=corrupt)
    archive('cut', {'map1.bmp': good}, 'cut.zip: not a readable ZIP archive',
            patch=damaged_directory)
    archive('bomb', {'map1.bmp': b'\0' * (64 << 20)},
            'bomb.zip [map1.bmp]: member claims 67108864 bytes, more than the 65536 it may have')
    archive('nested', {'nested/map1.bmp': good}, 'nested.zip: no levels in the pack: it holds '
            'map1.bmp, map2.bmp, ... at the top of the archive, not in a folder (nested/)')
    archive('beside', {'map1.bmp': good}, 'beside.zip: a folder of its name (beside) stands '
            'beside it and would be read instead of the archive')
    os.mkdir(os.path.join(work, 'beside'))
    archive('gapzip', {'map1.bmp': good, 'map2.bmp': good, 'map4.bmp': good},
            'gapzip.zip [map3.bmp]: missing, but map4.bmp is there')
    archive('short', {'map1.bmp': good}, 'short.zip: no level 2, the pack holds 1')
    return out


def case_hostile():
    work = work_dir()
    write(os.path.join(work, 'script.txt'), '600 right,x\n')
    failures = []
    for name, path, expect in hostile_cases(work):
        level = ['--level', '2'] if name == 'short' else []
        for f in ('trace.jsonl', 'stdout.txt'):
            if os.path.exists(os.path.join(work, f)):
                os.remove(os.path.join(work, f))
        try:
            status, out, err = run([program('starhop-replay'), '--levels', path] + level +
                                   ['--trace', 'trace.jsonl', 'script.txt'], work, timeout=60)
        except subprocess.TimeoutExpired:
            failures.append('%s: no answer within a minute' % name)
            continue
        lines = err.splitlines()
        problems = []
        if status != 1:
            problems.append('status %d' % status)
        if len(lines) != 1 or expect not in lines[0]:
            problems.append('the terminal says %r, wanted one line with %r' % (err, expect))
        elif lines[0] not in log_of(work):
            problems.append('the log lacks the line')
        if os.path.exists(os.path.join(work, 'trace.jsonl')) and trace_of(work):
            problems.append('the game started: %d passes traced' % len(trace_of(work)))
        if problems:
            failures.append('%s: %s' % (name, '; '.join(problems)))
        else:
            print('%-10s %s' % (name, lines[0]))
    # The game itself and the tool refuse the same way.
    for cmd in ([program('starhop'), '--window', '--levels', 'gap'],
                [program('starhop-levels'), 'check', 'gap']):
        status, out, err = run(cmd, work, timeout=60)
        if status != 1 or err.count('\n') != 1 or 'gap/map2.bmp: missing' not in err:
            failures.append('%s: status %d, %r' % (' '.join(cmd), status, err))
    check(not failures, '\n'.join(failures))
    shutil.rmtree(work, ignore_errors=True)


def case_tool():
    """The tool's refusals: usage (status 2), bad sources and levels (status 1, one line), and
    a pack that fails leaves the old archive as it was."""
    work = work_dir()
    tool = program('starhop-levels')
    usage = [[], ['make'], ['pack', 'src'], ['pack', 'src', '-o', 'x.tar'],
             ['solve', 'one', 'p', '-o', 'r'], ['solve', '0', 'p', '-o', 'r'],
             ['check', 'p', '-o', 'x'], ['check', '--time-limit', '0', 'p'], ['check', 'a', 'b']]
    for args in usage:
        status, _, err = run([tool] + args, work)
        check(status == 2 and err.startswith('starhop-levels: ') and 'usage:' in err,
              '%s: status %d, %r' % (args, status, err))

    def sources(name, files):
        for member, content in files.items():
            write(os.path.join(work, name, member), content)

    bad = text(LEVELS[0]).split('\n')
    bad[7] = bad[7][:4] + 'Q' + bad[7][5:]
    other = bytearray(level_bmp(LEVELS[1]))
    sources('typo', {'map1.txt': text(LEVELS[0]), 'map2.txt': '\n'.join(bad)})
    sources('twice', {'map1.txt': text(LEVELS[0]), 'map1.bmp': bytes(other)})
    sources('hole', {'map1.txt': text(LEVELS[0]), 'map3.txt': text(LEVELS[2])})
    sources('badproof', {'map1.txt': text(LEVELS[0]), 'map1.proof': '60 -\n10 jump\n'})
    sources('orphan', {'map1.txt': text(LEVELS[0]), 'map2.proof': '60 -\n'})
    write(os.path.join(work, 'old.zip'), b'the old archive')
    for name, expect in (
            ('typo', "typo/map2.txt:8: column 5: 'Q' is not in the legend"),
            ('twice', 'twice/map1.txt and twice/map1.bmp hold different levels, first at '
                      'column 17, row 23: the text holds empty, the bitmap star'),
            ('hole', 'hole/map2.txt (or .bmp): missing, but level 3 is there'),
            ('badproof', 'badproof/map1.proof:2:'),
            ('orphan', 'orphan/map2.proof: a proof of level 2, which the pack lacks')):
        status, out, err = run([tool, 'pack', name, '-o', 'old.zip'], work)
        check(status == 1 and err.count('\n') == 1 and expect in err,
              'pack %s: status %d, %r, wanted %r' % (name, status, err, expect))
        with open(os.path.join(work, 'old.zip'), 'rb') as f:
            check(f.read() == b'the old archive', 'pack %s touched the old archive' % name)
    leftovers = [f for f in os.listdir(work) if f.startswith('.old')]
    check(not leftovers, 'temporary files left: %s' % leftovers)

    # Levels the game would play but that break a hard rule: no star, an open border.
    nostar = [l.replace('*', '.') for l in LEVELS[0]]
    open_border = list(LEVELS[1])
    open_border[0] = '#' * 10 + '.' + '#' * 21
    write(os.path.join(work, 'rules', 'map1.bmp'), level_bmp(LEVELS[0]))
    write(os.path.join(work, 'rules', 'map2.bmp'), level_bmp(nostar))
    write(os.path.join(work, 'rules', 'map3.bmp'), level_bmp(open_border))
    status, out, err = run([tool, 'check', '--time-limit', '20', 'rules'], work)
    rows = table(out)
    check(status == 1, 'check passed levels that break the rules:\n' + out + err)
    check('found in' in rows.get('1', ''), out)
    check('not searched: 1 rule broken' in rows.get('2', ''), out)
    check('not searched: 1 rule broken' in rows.get('3', ''), out)
    check('rules/map3.bmp: column 10, row 0:' in out, out)
    check('2 break a hard rule' in out, out)
    status, out, err = run([tool, 'solve', '4', 'rules', '-o', 'r.txt'], work)
    check(status == 1 and 'rules: no level 4, the pack holds 3' in err, '%d %r' % (status, err))
    status, out, err = run([tool, 'solve', '2', 'rules', '-o', 'r.txt'], work)
    check(status == 1 and 'no route found' in out and not os.path.exists(
        os.path.join(work, 'r.txt')), 'solve of a starless level: %d %r %r' % (status, out, err))
    print('the tool refused %d command lines, 5 bad sources and 2 levels breaking rules' %
          len(usage))
    shutil.rmtree(work, ignore_errors=True)


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument('--bin', default=os.path.join(ROOT, 'build'))
    p.add_argument('--data', default=os.path.join(ROOT, 'build', 'data'))
    p.add_argument('case')
    ARGS = p.parse_args()
    ARGS.bin = os.path.abspath(ARGS.bin)
    ARGS.data = os.path.abspath(ARGS.data)
    case = cases(globals()).get(ARGS.case)
    if not case:
        print('FAIL: unknown case ' + ARGS.case)
        return 1
    return run_case(ARGS.case, case)


if __name__ == '__main__':
    sys.exit(main())
