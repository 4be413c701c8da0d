#!/usr/bin/env python3
"""The shipped levels played through starhop-replay, judged by its trace.

usage: levels.py [--replay BIN] [--data DIR] CASE [ARG]
Cases: level N (its solution), game (title, eight levels, clear, title), slow (the same run
about twice as slow), gameover (three deaths), soak PASSES SEED (seeded random input), memory
(resident memory over 200 level starts, through starhop-solver), solve N (the solver
finds a route through level N unaided; the route is played), update-digests (below).

The traces of game, slow and gameover must also match their digests in digests.txt, so that
a change of what the game does shows even when every check above still passes. A deliberate
change runs update-digests (the game, slow and gameover runs, digests rewritten) and commits
digests.txt with it, saying why. BIN and DIR default to the build/ tree of the repository.
"""
import argparse
import hashlib
import json
import os
import random
import subprocess
import sys
import tempfile
import time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from checks import Failure, check  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
LEVELS = 8
ARGS = None
DIGESTS = os.path.join(HERE, 'digests.txt')
DIGEST_BLOCK = 1000  # passes per digest: a mismatch points near the first change
UPDATE_COMMAND = 'tests/levels/levels.py update-digests'
RECORDED = None  # run name -> digests, while update-digests records instead of comparing


def run(script_text, level=None, extra=()):
    """Runs the replay in a fresh directory with data/; returns (status, trace records, dir)."""
    work = tempfile.mkdtemp(prefix='starhop-levels-')
    os.symlink(os.path.abspath(ARGS.data), os.path.join(work, 'data'))
    script = os.path.join(work, 'script.txt')
    with open(script, 'w') as f:
        f.write(script_text)
    cmd = [ARGS.replay, '--trace', os.path.join(work, 'trace.jsonl')]
    if level is not None:
        cmd += ['--level', str(level)]
    cmd += list(extra) + [script]
    proc = subprocess.run(cmd, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=1800)
    records = []
    with open(os.path.join(work, 'trace.jsonl')) as f:
        for n, line in enumerate(f, 1):
            try:
                records.append(json.loads(line))
            except ValueError as e:
                raise Failure('trace line %d is not JSON: %s' % (n, e))
    if proc.returncode != 0:
        log = open(os.path.join(work, 'stdout.txt'), errors='replace').read()[-2000:]
        raise Failure('starhop-replay exited with %d\n%s%s' %
                      (proc.returncode, proc.stderr.decode(errors='replace'), log))
    return records, work


def solution(n, slow=False):
    with open(os.path.join(HERE, ('slow%d.txt' if slow else 'level%d.txt') % n)) as f:
        return f.read()


def game_script(slow=False):
    """Title, every level's solution in turn, the clear screen, back to the title. The slow
    solutions stand idle at each level's start about as long as the quick one takes the
    level (an idle rabbit's sub-pixel height drifts, so each is a search of its own)."""
    parts = ['1 z  # HAZIMEKARA\n']
    for n in range(1, LEVELS + 1):
        parts.append(solution(n, slow))
    parts.append('30 -\n1 z  # back to the title\n10 -\n')
    return ''.join(parts)


def grade_of(seconds):
    for limit, grade in ((400, 0), (300, 1), (200, 2), (150, 3)):
        if seconds > limit:
            return grade
    return 4


def check_level_play(records, n, first):
    """Records of level n from index `first`: stars to 0 without a death. Returns the index
    of the first record after the level."""
    i = first
    rest_seen = None
    while i < len(records) and records[i]['scene'] == 'play' and records[i]['level'] == n:
        r = records[i]
        check(not r['corpses'], 'level %d: the rabbit died on pass %d' % (n, r['pass']))
        rest_seen = r['rest']
        i += 1
    check(rest_seen is not None, 'level %d was never played' % n)
    check(rest_seen <= -59, 'level %d ended with %s stars left' % (n, rest_seen))
    return i


def trace_digests(work):
    """One line per block of passes: its range and the start of the SHA-256 of its lines."""
    with open(os.path.join(work, 'trace.jsonl'), 'rb') as f:
        lines = f.readlines()
    out = []
    for i in range(0, len(lines), DIGEST_BLOCK):
        block = lines[i:i + DIGEST_BLOCK]
        out.append('%d-%d %s' % (i + 1, i + len(block),
                                 hashlib.sha256(b''.join(block)).hexdigest()[:16]))
    return out


def read_digests():
    digests = {}
    if os.path.exists(DIGESTS):
        with open(DIGESTS) as f:
            for line in f:
                words = line.split()
                if words and not words[0].startswith('#'):
                    check(len(words) == 3, '%s: bad line %r' % (DIGESTS, line))
                    digests.setdefault(words[0], []).append(words[1] + ' ' + words[2])
    return digests


def check_digests(name, work):
    """The trace of run `name` against its digests (or recorded, while updating them)."""
    got = trace_digests(work)
    if RECORDED is not None:
        RECORDED[name] = got
        return
    want = read_digests().get(name)
    check(want is not None, 'no digests of the %s run in %s; make them with %s' %
          (name, DIGESTS, UPDATE_COMMAND))
    changed = [g.split()[0] for w, g in zip(want, got) if w != g]
    if len(want) != len(got):
        changed.append('the end (%s passes now, %s before)' %
                       (got[-1].split()[0].split('-')[1] if got else 0,
                        want[-1].split()[0].split('-')[1]))
    check(not changed,
          'the %s run no longer plays as recorded in %s: passes %s first differ (%d block(s) '
          'of %d changed). If the change is meant, run %s and commit digests.txt with it, '
          'saying why.' % (name, DIGESTS, changed[0] if changed else '', len(changed),
                           len(want), UPDATE_COMMAND))


def case_level(n):
    check_solution(n, solution(n))


def check_solution(n, text):
    """The script played from level n's start: every star taken aloud, no death, the next
    scene after the curtain. Returns the pass on which the next scene shows."""
    records, _ = run(text, level=n)
    check(records and records[0]['level'] == n, 'level %d did not start' % n)
    start_rest = records[0]['rest']
    taken = sum(r['sounds'].count('getstar') for r in records)
    check(taken == start_rest or taken == start_rest + 1,
          'level %d: %d stars taken aloud, %d at the start' % (n, taken, start_rest))
    end = check_level_play(records, n, 0)
    check(end < len(records), 'level %d: the script ends before the level does' % n)
    after = records[end]
    if n < LEVELS:
        check(after['scene'] == 'play' and after['level'] == n + 1,
              'level %d: expected level %d next, got %s' % (n, n + 1, after['scene']))
    else:
        check(after['scene'] == 'clear', 'level %d: expected the clear scene, got %s' %
              (n, after['scene']))
    print('level %d: %d stars, next scene on pass %d' % (n, start_rest, after['pass']))
    return after['pass']


def case_solve(n):
    """The solver, without hints, finds a route through level n that the game plays to the
    next scene on the pass the route's header says."""
    work = tempfile.mkdtemp(prefix='starhop-solve-')
    os.symlink(os.path.abspath(ARGS.data), os.path.join(work, 'data'))
    out = os.path.join(work, 'route.txt')
    began = time.monotonic()
    proc = subprocess.run([ARGS.solver, '--level', str(n), out], cwd=work,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=1800)
    seconds = time.monotonic() - began
    check(proc.returncode == 0, 'starhop-solver --level %d exited with %d: %s' %
          (n, proc.returncode, proc.stderr.decode(errors='replace')))
    text = open(out).read()
    header = text.split('\n')[1].split()
    check(header[:3] == ['#', 'level', str(n) + ':'], 'route header: %r' % header)
    switch = int(header[-1])
    got = check_solution(n, text)
    check(got == switch, 'level %d: the route says the next scene on pass %d, the game shows '
          'it on pass %d' % (n, switch, got))
    print('level %d: route found in %.1f s' % (n, seconds))


def play_through(records):
    # Pass 1 confirms the title's menu; its trace line already shows the play scene.
    check(records[0]['sounds'][:1] == ['select'], 'the run does not start from the title menu')
    i = 0
    while records[i]['scene'] == 'title':
        i += 1
    for n in range(1, LEVELS + 1):
        check(records[i]['scene'] == 'play' and records[i]['level'] == n,
              'expected level %d on pass %d, got %s' % (n, records[i]['pass'], records[i]['scene']))
        i = check_level_play(records, n, i)
    check(records[i]['scene'] == 'clear', 'no clear scene after the last level')
    clear = records[i]
    while i < len(records) and records[i]['scene'] == 'clear':
        i += 1
    check(i < len(records) and records[i]['scene'] == 'title', 'no way back to the title')
    return clear


def case_game(slow):
    records, work = run(game_script(slow))
    clear = play_through(records)
    seconds = float(clear['timeText'])
    want = (1, 2) if slow else (4,)
    check(clear['grade'] in want, 'time %.2f s earns grade %d, wanted %s' %
          (seconds, clear['grade'], want))
    check(clear['grade'] == grade_of(seconds), 'grade %d does not match %.2f s' %
          (clear['grade'], seconds))
    check_digests('slow' if slow else 'game', work)
    print('%s run: %s s, grade %d' % ('slow' if slow else 'full', clear['timeText'], clear['grade']))


def case_gameover():
    """Level 3 has thorns a few steps right of the start: three rabbits walk into them."""
    with open(os.path.join(HERE, 'gameover.txt')) as f:
        records, work = run(f.read(), level=3)
    scenes = [r['scene'] for r in records]
    check('gameover' in scenes, 'the game never ended')
    first = scenes.index('gameover')
    deaths = sum(r['sounds'].count('sibo') for r in records[:first + 1])
    check(deaths == 3, '%d deaths before the game-over scene, wanted 3' % deaths)
    # The trace line of the pass with the third death already names the game-over scene; the
    # pass before shows two corpses and the third rabbit.
    last_play = records[first - 1]
    check(len(last_play['corpses']) == 2 and
          [r['color'] for r in last_play['rabbits']] == [2],
          'the last play pass shows %d corpses and rabbits %s' %
          (len(last_play['corpses']), [r['color'] for r in last_play['rabbits']]))
    dos = sum(r['sounds'].count('dos') for r in records[first:])
    check(dos == 7, 'the curtain bounced %d times aloud, wanted 7' % dos)
    check(scenes[-1] == 'title', 'no way back to the title after the game over')
    check_digests('gameover', work)
    print('game over on pass %d, back at the title on pass %d' %
          (records[first]['pass'], records[-1]['pass']))


KEYS = ['-', 'right', 'left', 'x', 'right,x', 'left,x', 'z', 'c', 'v', 'right,left',
        'right,left,x', 'z,x']


def random_script(passes, seed):
    """Seeded random key holds: walking, jumping, the confirm key and the spare buttons.
    Escape, Up and Down are left out, so the title never quits and the run lasts its length."""
    rng = random.Random(seed)
    lines, total = [], 0
    while total < passes:
        n = min(rng.choice((1, 2, 3, 5, 8, 13, 30)), passes - total)
        lines.append('%d %s' % (n, rng.choice(KEYS)))
        total += n
    return '\n'.join(lines) + '\n'


def case_soak(passes, seed):
    # Level 3 kills soon enough for game overs; the title then starts the game again.
    records, _ = run(random_script(passes, seed), level=3)
    check(len(records) == passes, 'the run stopped after %d of %d passes' %
          (len(records), passes))
    scenes = {}
    for r in records:
        scenes[r['scene']] = scenes.get(r['scene'], 0) + 1
    print('soak of %d passes (seed %d): %s' % (passes, seed, scenes))


def case_memory():
    """Levels started 200 times over in one process; resident memory after the 10th start and
    after the 200th, as the solver's start loop reports them."""
    work = tempfile.mkdtemp(prefix='starhop-memory-')
    os.symlink(os.path.abspath(ARGS.data), os.path.join(work, 'data'))
    report = os.path.join(work, 'memory.txt')
    proc = subprocess.run([ARGS.solver, '--starts', '200', report], cwd=work,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=1800)
    check(proc.returncode == 0, 'starhop-solver --starts exited with %d: %s' %
          (proc.returncode, proc.stderr.decode(errors='replace')))
    rss = {}
    for line in open(report):
        words = line.split()
        rss[int(words[2])] = int(words[4])
    check(10 in rss and 200 in rss, 'no memory figures in ' + report)
    grown = rss[200] - rss[10]
    check(grown <= 2048, 'resident memory grew by %d kB from 10 to 200 level starts' % grown)
    print('resident memory after 10 starts %d kB, after 200 starts %d kB' % (rss[10], rss[200]))


def update_digests():
    global RECORDED
    RECORDED = {}
    case_game(False)
    case_game(True)
    case_gameover()
    with open(DIGESTS, 'w') as f:
        f.write('# Digests of the traces of the full game, the slow game and the game over,\n'
                '# one line per %d passes: run, passes, start of the SHA-256 of their trace\n'
                '# lines. The level tests compare them. A deliberate change of what the game\n'
                '# does runs %s\n'
                '# and commits this file with it, saying why.\n' % (DIGEST_BLOCK, UPDATE_COMMAND))
        for name in ('game', 'slow', 'gameover'):
            for line in RECORDED[name]:
                f.write('%s %s\n' % (name, line))
    print('digests written to %s' % DIGESTS)


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument('--replay', default=os.path.join(ROOT, 'build', 'starhop-replay'))
    p.add_argument('--data', default=os.path.join(ROOT, 'build', 'data'))
    p.add_argument('--solver')
    p.add_argument('case')
    p.add_argument('arg', nargs='*')
    ARGS = p.parse_args()
    ARGS.replay = os.path.abspath(ARGS.replay)
    if not os.path.exists(ARGS.replay):
        print('FAIL: no replay runner at %s (build it first, or give --replay)' % ARGS.replay)
        return 1
    if ARGS.solver:
        ARGS.solver = os.path.abspath(ARGS.solver)
    try:
        if ARGS.case == 'level':
            case_level(int(ARGS.arg[0]))
        elif ARGS.case == 'game':
            case_game(False)
        elif ARGS.case == 'slow':
            case_game(True)
        elif ARGS.case == 'gameover':
            case_gameover()
        elif ARGS.case == 'soak':
            case_soak(int(ARGS.arg[0]), int(ARGS.arg[1]))
        elif ARGS.case == 'memory':
            case_memory()
        elif ARGS.case == 'solve':
            case_solve(int(ARGS.arg[0]))
        elif ARGS.case == 'update-digests':
            update_digests()
        else:
            raise Failure('unknown case ' + ARGS.case)
    except Failure as e:
        print('FAIL: %s' % e)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
