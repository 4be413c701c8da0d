#!/usr/bin/env python3
"""End-to-end checks: the real game driven by starhop-replay, judged by its trace.

usage: e2e.py --replay BIN --data DIR CASE
Each case builds a working directory with data/ (the built data, the starter levels replaced
by the case's own) and runs the replay runner there.
"""
import argparse
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bmp import bmp24, level_bmp, read_bmp24  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from checks import Failure, cases, check, run_case  # noqa: E402

ARGS = None


def near(a, b, eps=1e-9):
    return abs(a - b) <= eps


# ---------------------------------------------------------------- levels

def blank(border=True):
    rows = [['.'] * 32 for _ in range(32)]
    if border:
        for i in range(32):
            rows[0][i] = rows[31][i] = rows[i][0] = rows[i][31] = '#'
    return rows


def put(rows, col, row, ch):
    rows[row][col] = ch


def floor(rows, row, ch='#'):
    for r in range(row, 32):
        for c in range(32):
            rows[r][c] = ch


def text(rows):
    return [''.join(r) for r in rows]


def flat(stars=(), extra=()):
    """Start at column 3 of row 28 on a floor from row 29; a far star keeps the level going."""
    rows = blank()
    floor(rows, 29)
    put(rows, 3, 28, 'S')
    for c, r in stars:
        put(rows, c, r, '*')
    for c, r, ch in extra:
        put(rows, c, r, ch)
    return text(rows)


# ---------------------------------------------------------------- running

class Run:
    def __init__(self, status, trace, workdir):
        self.status = status
        self.trace = trace
        self.dir = workdir

    def at(self, n):
        for rec in self.trace:
            if rec['pass'] == n:
                return rec
        raise Failure('no trace record for pass %d' % n)

    def log(self):
        with open(os.path.join(self.dir, 'stdout.txt'), encoding='utf-8', errors='replace') as f:
            return f.read()


def run(script, levels=None, level=None, zipped=None, extra=(), shots=None, raw_files=None):
    """levels: {n: ascii lines or bytes}; zipped: {n: ascii} put only into data.zip."""
    work = tempfile.mkdtemp(prefix='starhop-e2e-')
    data = os.path.join(work, 'data')
    os.mkdir(data)
    for name in os.listdir(ARGS.data):
        if levels is not None and name.startswith('map') and name[3:4].isdigit():
            continue
        os.symlink(os.path.join(ARGS.data, name), os.path.join(data, name))
    for n, lines in (levels or {}).items():
        with open(os.path.join(data, 'map%d.bmp' % n), 'wb') as f:
            f.write(lines if isinstance(lines, bytes) else level_bmp(lines))
    for name, content in (raw_files or {}).items():
        with open(os.path.join(work, name), 'wb') as f:
            f.write(content)
    if zipped:
        with zipfile.ZipFile(os.path.join(work, 'data.zip'), 'w') as z:
            for n, lines in zipped.items():
                z.writestr('map%d.bmp' % n, level_bmp(lines))
    with open(os.path.join(work, 'script.txt'), 'w') as f:
        f.write(script)
    cmd = [ARGS.replay, '--trace', 'trace.jsonl']
    if level is not None:
        cmd += ['--level', str(level)]
    if shots:
        os.makedirs(shots[0], exist_ok=True)
        cmd += ['--shots', shots[0]]
        for n in shots[1]:
            cmd += ['--shot', str(n)]
    cmd += list(extra) + ['script.txt']
    p = subprocess.run(cmd, cwd=work, timeout=600, capture_output=True, text=True)
    trace = []
    path = os.path.join(work, 'trace.jsonl')
    if os.path.exists(path):
        with open(path) as f:
            for line in f:
                trace.append(json.loads(line))
    r = Run(p.returncode, trace, work)
    r.stderr = p.stderr
    return r


def cleanup(r):
    if not os.environ.get('STARHOP_KEEP_TESTDIR'):
        shutil.rmtree(r.dir, ignore_errors=True)


def sounds(r, name, first=1, last=None):
    return [rec['pass'] for rec in r.trace
            if rec['pass'] >= first and (last is None or rec['pass'] <= last)
            for s in rec['sounds'] if s == name]


# ---------------------------------------------------------------- cases

def case_menu():
    # Up wraps from HAZIMEKARA to OWAREXIT; holding moves once; Down wraps back.
    r = run('2 -\n1 up\n1 -\n5 down\n2 -\n3 down\n1 -\n1 up,down\n2 -\n')
    check(r.status == 0, 'exit status %d' % r.status)
    choices = [rec['choice'] for rec in r.trace]
    check(choices == [0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1],
          'choices %s' % choices)
    check(sounds(r, 'select') == [3, 5, 12, 16, 16], 'select sounds at %s' % sounds(r, 'select'))
    check(all(rec['scene'] == 'title' and rec['drawn'] for rec in r.trace), 'title and drawn')
    cleanup(r)


def case_first_frame():
    r = run('3 -\n1 z\n3 -\n', levels={1: flat(stars=[(20, 28)])})
    check(r.status == 0, 'exit status %d' % r.status)
    check(r.at(3)['scene'] == 'title', 'title before the press')
    p = r.at(4)
    check(p['scene'] == 'play' and p['level'] == 1 and p['time'] == 1, 'play starts: %s' % p)
    check(p['timeText'] == '0.02', 'first play frame shows %s' % p['timeText'])
    check(r.at(5)['timeText'] == '0.03', 'second play frame shows %s' % r.at(5)['timeText'])
    check(p['sounds'] == ['select', 'hukkatsu'], 'sounds %s' % p['sounds'])
    check(p['balls'] == [{'slot': 0, 'life': 60}] and p['rabbits'] == [], 'ball, no rabbit yet')
    check(p['rest'] == 1, 'one star to collect')
    cleanup(r)


def case_walk():
    r = run('55 -\n40 right\n30 -\n', level=1, levels={1: flat(stars=[(28, 28)])})
    check(r.status == 0, 'exit status %d' % r.status)
    check(r.at(49)['rabbits'] == [], 'no rabbit before the 50th pass')
    first = r.at(50)['rabbits']
    check(len(first) == 1 and first[0]['x'] == 45 and first[0]['y'] == 420 and
          first[0]['color'] == 0, 'rabbit brought in at the start cell: %s' % first)
    check(r.at(55)['rabbits'][0]['onGround'], 'standing before walking')
    for k in range(1, 41):
        vx = r.at(55 + k)['rabbits'][0]['vx']
        check(vx <= 2.0, 'speed %r above 2.0 at pass %d' % (vx, 55 + k))
        if k <= 20:
            check(near(vx, 0.1 * k), 'speed %r after %d passes' % (vx, k))
    check(near(r.at(75)['rabbits'][0]['vx'], 2.0), 'speed 2.0 after twenty passes')
    # Released on the ground: divided by 1.2 each pass.
    v0 = r.at(95)['rabbits'][0]['vx']
    v1 = r.at(96)['rabbits'][0]['vx']
    check(near(v1, v0 / 1.2), 'friction %r -> %r' % (v0, v1))
    cleanup(r)


def case_jump():
    lvl = {1: flat(stars=[(28, 28)])}
    tap = run('60 -\n1 x\n5 -\n1 x\n60 -\n', level=1, levels=lvl)
    held = run('60 -\n40 x\n30 -\n', level=1, levels=lvl)
    for r in (tap, held):
        check(r.status == 0, 'exit status %d' % r.status)
        check(near(r.at(61)['rabbits'][0]['vy'], -4.8), 'first jump speed %r' %
              r.at(61)['rabbits'][0]['vy'])
    check(sounds(tap, 'jump') == [61], 'a press in the air does not jump: %s' % sounds(tap, 'jump'))
    top_tap = min(rec['rabbits'][0]['y'] for rec in tap.trace if rec['pass'] > 60)
    top_held = min(rec['rabbits'][0]['y'] for rec in held.trace if rec['pass'] > 60)
    check(top_held < top_tap - 10, 'held jump top %r, tapped %r' % (top_held, top_tap))
    # A tapped jump loses 0.4 per rising pass after the press.
    check(near(tap.at(62)['rabbits'][0]['vy'], -4.4), 'short jump %r' % tap.at(62)['rabbits'][0]['vy'])
    check(near(held.at(62)['rabbits'][0]['vy'], -4.6), 'held jump %r' % held.at(62)['rabbits'][0]['vy'])
    cleanup(tap)
    cleanup(held)


def case_star():
    r = run('55 -\n60 right\n', level=1, levels={1: flat(stars=[(8, 28), (28, 28)])})
    check(r.status == 0, 'exit status %d' % r.status)
    taken = [rec['pass'] for rec in r.trace if rec['scene'] == 'play' and rec['rest'] == 1]
    check(taken, 'the star was never taken')
    p = taken[0]
    before, now = r.at(p - 1), r.at(p)
    check(before['rest'] == 2, 'two stars before')
    x_before = math.trunc(before['rabbits'][0]['x'])
    x_now = math.trunc(now['rabbits'][0]['x'])
    check(x_before + 7 < 120 <= x_now + 7, 'centre enters the star column: %d -> %d' %
          (x_before, x_now))
    check(now['sounds'] == ['getstar'], 'sounds %s' % now['sounds'])
    check(sounds(r, 'getstar') == [p], 'one getstar')
    cleanup(r)


def death_level():
    rows = blank()
    floor(rows, 28)
    for c in range(1, 31):
        put(rows, c, 26, '^')
        put(rows, c, 27, '^')
    put(rows, 3, 22, 'S')
    put(rows, 29, 3, '*')
    return text(rows)


def case_death():
    r = run('50 -\n13 right\n300 -\n', level=1, levels={1: death_level()})
    check(r.status == 0, 'exit status %d' % r.status)
    dead = [rec['pass'] for rec in r.trace if rec['scene'] == 'play' and rec['corpses']]
    check(dead, 'the rabbit never died')
    d = dead[0]
    last = r.at(d - 1)['rabbits'][0]
    now = r.at(d)
    check(now['rabbits'] == [], 'no rabbit after the death')
    check(now['sounds'] == ['sibo', 'hukkatsu'], 'sounds %s' % now['sounds'])
    corpse = now['corpses'][0]
    vx = last['vx']
    vy = min(last['vy'] + 0.2, 5.0)
    check(1 < vx < 2 and 1 < vy < 5 and vy != int(vy), 'the scene makes a fractional speed: %r %r' % (vx, vy))
    check(corpse['vx'] == math.trunc(vx), 'corpse vx %r from %r' % (corpse['vx'], vx))
    check(near(corpse['vy'], math.trunc(vy) + 0.2), 'corpse vy %r from %r' % (corpse['vy'], vy))
    check(corpse['x'] == math.trunc(last['x'] + vx) + math.trunc(vx), 'corpse x %r' % corpse['x'])
    check(near(corpse['y'], math.trunc(last['y'] + vy) + math.trunc(vy) + 0.2),
          'corpse y %r' % corpse['y'])
    check(corpse['color'] == 0 and corpse['left'] is False, 'corpse colour and facing')
    check(now['balls'] == [{'slot': 0, 'life': 59}], 'a fresh life ball moved once: %s' %
          now['balls'])
    check(r.at(d + 48)['rabbits'] == [], 'no second rabbit before the ball\'s 50th pass')
    second = r.at(d + 49)['rabbits']
    check(len(second) == 1 and second[0]['color'] == 1 and second[0]['x'] == 45 and
          second[0]['y'] == 330 and second[0]['vx'] == 0 and second[0]['vy'] == 0 and
          second[0]['left'] is False, 'second rabbit at the start, at rest: %s' % second)
    check(r.at(d + 58)['balls'] != [] and r.at(d + 59)['balls'] == [], 'ball gone after 60 moves')
    cleanup(r)


def gameover_level():
    rows = blank()
    floor(rows, 28)
    for c in range(1, 31):
        put(rows, c, 26, '^')
        put(rows, c, 27, '^')
    put(rows, 3, 24, 'S')
    put(rows, 29, 3, '*')
    return text(rows)


def case_gameover():
    r = run('600 -\n1 z\n2 -\n', level=1, levels={1: gameover_level()})
    check(r.status == 0, 'exit status %d' % r.status)
    g = [rec['pass'] for rec in r.trace if rec['scene'] == 'gameover'][0]
    check(len(r.at(g - 1)['corpses']) == 2, 'two corpses before the third death')
    check(sounds(r, 'sibo') == sorted(sounds(r, 'sibo')) and len(sounds(r, 'sibo')) == 3,
          'three deaths: %s' % sounds(r, 'sibo'))
    check(r.at(g)['sounds'] == ['sibo'], 'no life ball on the third death: %s' % r.at(g)['sounds'])
    dos = sounds(r, 'dos')
    check(len(dos) == 7, 'seven dos, got %s' % dos)
    check(dos[0] == g + 31, 'first bounce on the 31st pass: %s' % dos)
    check(r.at(g + 153)['curtainVy'] != 0, 'still moving on the 153rd pass')
    for n in range(g + 154, g + 400):
        rec = r.at(n)
        check(rec['curtainY'] == 0 and rec['curtainVy'] == 0, 'at rest from the 154th pass: %s' % rec)
    check(all(p < g + 154 for p in dos), 'no dos after resting')
    check(r.at(601)['scene'] == 'title', 'button returns to the title')
    cleanup(r)


def case_countdown():
    nostar = flat()
    second = flat(stars=[(20, 28), (21, 28)])
    for how in ('loose', 'zip'):
        if how == 'loose':
            r = run('70 -\n', level=1, levels={1: nostar, 2: second})
        else:
            r = run('70 -\n', level=1, levels={1: nostar}, zipped={2: second})
        check(r.status == 0, 'exit status %d' % r.status)
        for k in range(1, 61):
            rec = r.at(k)
            check(rec['level'] == 1 and rec['rest'] == -k, '%s: pass %d: %s' % (how, k, rec))
        nxt = r.at(61)
        check(nxt['scene'] == 'play' and nxt['level'] == 2 and nxt['time'] == 62 and
              nxt['rest'] == 2, '%s: next level on the 61st pass: %s' % (how, nxt))
        cleanup(r)
    r = run('70 -\n', level=1, levels={1: nostar})
    rec = r.at(61)
    check(rec['scene'] == 'clear' and rec['timeText'] == '1.03' and rec['grade'] == 4,
          'clear after the last level: %s' % rec)
    cleanup(r)


def clear_after(total):
    """Runs a one-star level so that the clear scene receives `total` passes."""
    lvl = {1: flat(stars=[(6, 28)])}
    probe = run('60 -\n60 right\n', level=1, levels=lvl)
    k0 = [rec['pass'] for rec in probe.trace if rec['rest'] == 0][0]
    cleanup(probe)
    # time after pass p is 1 + p; the clear comes 61 passes after the star.
    wait = 60 + (total - 1 - 61) - k0
    r = run('%d -\n60 right\n70 -\n5 -\n1 z\n2 -\n' % wait, level=1, levels=lvl)
    check(r.status == 0, 'exit status %d' % r.status)
    c = [rec for rec in r.trace if rec['scene'] == 'clear']
    check(c, 'never reached the clear scene')
    return r, c[0]


def case_clear():
    for total, shown, grade in ((9000, '150.00', 4), (24000, '400.00', 1)):
        r, rec = clear_after(total)
        check(rec['timeText'] == shown and rec['grade'] == grade,
              '%d passes: %s' % (total, rec))
        check(r.trace[-1]['scene'] == 'title', 'button returns to the title')
        cleanup(r)


def case_quit():
    r = run('5 -\n1 escape\n10 -\n')
    check(r.status == 0, 'escape: exit status %d' % r.status)
    check(r.trace[-1]['pass'] == 6, 'escape ends after its pass: %d' % r.trace[-1]['pass'])
    check(r.log().rstrip().endswith('ログ終了'), 'orderly end')
    cleanup(r)
    r = run('2 -\n1 up\n1 -\n1 z\n10 -\n')
    check(r.status == 0, 'OWAREXIT: exit status %d' % r.status)
    last = r.trace[-1]
    check(last['pass'] == 5 and last['drawn'] and last['sounds'] == ['select'],
          'OWAREXIT ends after its drawn pass: %s' % last)
    cleanup(r)


def case_bad_input():
    r = run('3 -\n2 up,jump\n')
    check(r.status == 2 and 'script.txt:2:' in r.stderr and "'jump'" in r.stderr,
          'bad script: %d %s' % (r.status, r.stderr))
    check(not os.path.exists(os.path.join(r.dir, 'stdout.txt')), 'the game did not start')
    cleanup(r)
    r = run('10 -\n', level=1, levels={1: bmp24(32, 32)})
    check(r.status == 1, 'bad level: exit status %d' % r.status)
    lines = r.log().rstrip('\n').split('\n')
    # The entry handler's line: "[" + class + "] " + text; the end routines still run after it.
    check(lines[-1] == 'ログ終了', 'module end routines ran: %s' % lines[-1])
    check(any(l.split(': ', 1)[-1].startswith(
        '[std::runtime_error] data/map1.bmp: a level must be an 8-bit palette picture')
        for l in lines), 'the log names the class, the file and the problem')
    check('[std::runtime_error] data/map1.bmp: a level must be an 8-bit palette picture'
          in r.stderr, 'the terminal is told too: %r' % r.stderr)
    cleanup(r)
    r = run('10 -\n', level=1, levels={1: level_bmp(flat())[:-600]})
    check(r.status == 1, 'cut-off level: exit status %d' % r.status)
    check('[algo::SDLError] ' in r.log() and 'data/map1.bmp' in r.log(),
          'a picture that does not decode is named in the log')
    cleanup(r)


def case_no_border():
    # Without a solid border the rabbit is kept in by the edges of the grid.
    rows = [['.'] * 32 for _ in range(32)]
    put(rows, 0, 0, 'S')
    put(rows, 31, 0, '*')
    r = run('60 -\n100 -\n80 left\n', level=1, levels={1: text(rows)})
    check(r.status == 0, 'exit status %d, log: %s' % (r.status, r.log()[-300:]))
    rabbit = r.trace[-1]['rabbits'][0]
    check(rabbit['onGround'] and 449 <= rabbit['y'] <= 466, 'stands on the bottom edge: %s' % rabbit)
    check(-17 <= rabbit['x'] <= 0, 'stopped at the left edge: %s' % rabbit)
    cleanup(r)


def case_pause():
    # P freezes the play scene (time, corpse and life ball included) and play goes on exactly
    # where it stopped; M, pressed before the death, changes nothing the trace or frames show.
    lvl = {1: death_level()}
    plain = run('50 -\n13 right\n300 -\n', level=1, levels=lvl)
    check(plain.status == 0, 'exit status %d' % plain.status)
    d = [rec['pass'] for rec in plain.trace if rec['scene'] == 'play' and rec['corpses']][0]
    k, hold, after = d + 10, 40, 20  # pause while the corpse falls and the ball runs
    check(k > 64, 'the death comes after the walk: %d' % d)
    shots = os.path.join(plain.dir, 'shots')
    cleanup(plain)
    plain = run('50 -\n13 right\n300 -\n', level=1, levels=lvl,
                shots=(os.path.join(shots, 'plain'), [k - 1, k + after]))
    paused = run('20 -\n1 m\n29 -\n13 right\n%d -\n1 p\n%d -\n1 p\n%d -\n' %
                 (k - 64, hold, 363 - k), level=1, levels=lvl,
                 shots=(os.path.join(shots, 'paused'), [k - 1, k + 5, k + hold + 1 + after]))
    check(paused.status == 0, 'exit status %d' % paused.status)
    check(len(paused.trace) == len(plain.trace) + hold + 1, 'trace length %d' % len(paused.trace))

    def body(rec):
        return {key: v for key, v in rec.items() if key != 'pass'}
    for p in range(1, k):
        check(paused.at(p) == plain.at(p), 'pass %d before the pause: %s\n%s' %
              (p, paused.at(p), plain.at(p)))
    check(sounds(paused, 'sibo')[:1] == [d], 'the muted death is still in the trace')
    frozen = body(plain.at(k - 1))
    for p in range(k, k + hold + 1):
        rec = body(paused.at(p))
        check(rec['scene'] == 'pause' and rec['sounds'] == [], 'pass %d: %s' % (p, rec))
        for key in ('level', 'time', 'rest', 'timeText', 'rabbits', 'corpses', 'balls'):
            check(rec[key] == frozen[key], 'pass %d: %s moved: %s -> %s' %
                  (p, key, frozen[key], rec[key]))
    check(frozen['corpses'] and frozen['balls'], 'a corpse and a life ball while paused')
    for p in range(k + hold + 1, len(paused.trace) + 1):
        q = p - hold - 1
        check(body(paused.at(p)) == body(plain.at(q)),
              'pass %d after the pause is not pass %d unpaused:\n%s\n%s' %
              (p, q, paused.at(p), plain.at(q)))

    def frame(which, n):
        return read_bmp24(os.path.join(shots, which, 'pass-%06d.bmp' % n))[2]
    check(frame('paused', k - 1) == frame('plain', k - 1), 'M changed the frame')
    check(frame('paused', k + hold + 1 + after) == frame('plain', k + after),
          'the frame after the pause is not the unpaused one')
    last, dim = frame('plain', k - 1), frame('paused', k + 5)
    bad = [(x, y) for y in range(512) for x in range(512)
           if not (216 <= x <= 296 and 244 <= y <= 268) and
           any(abs(a * 128 // 255 - b) > 8 for a, b in zip(last[y][x], dim[y][x]))]
    check(not bad, 'the paused frame is not the last frame dimmed at %s' % bad[:5])
    box = [dim[y][x] for y in range(244, 269) for x in range(216, 297)]
    white = sum(1 for c in box if min(c) > 240)
    check(60 < white < len(box) - 500, '"PAUSE" in white on black: %d white pixels' % white)
    cleanup(plain)
    cleanup(paused)


def level8_death():
    """Level 8's solution for 450 passes, then a run to the right into the thorns."""
    here = os.path.dirname(os.path.abspath(__file__))
    steps, used = [], 0
    with open(os.path.join(here, '..', 'levels', 'level8.txt')) as f:
        for line in f:
            body = line.split('#')[0].split()
            if not body or used >= 450:
                continue
            take = min(int(body[0]), 450 - used)
            steps.append('%d %s\n' % (take, body[1]))
            used += take
    return ''.join(steps) + '60 right\n80 -\n'


def case_screens():
    """Screenshots of each scene (for the docs), taken at chosen passes."""
    out = os.environ.get('STARHOP_SHOTS')
    if not out:
        return
    out = os.path.abspath(out)
    # The README's first picture: level 8 mid-run, twenty stars to go, the corpse on the hill
    # and the life ball bringing the next rabbit in; then the same moment paused.
    r = run(level8_death(), level=8, shots=(os.path.join(out, 'level8-run'), [521]))
    cleanup(r)
    r = run(level8_death().replace('60 right\n80 -\n', '10 right\n1 p\n5 -\n'), level=8,
            shots=(os.path.join(out, 'pause'), [466]))
    cleanup(r)
    r = run('10 -\n', shots=(os.path.join(out, 'title'), [5]))
    cleanup(r)
    r = run('120 -\n', level=1, levels={1: death_level()},
            shots=(os.path.join(out, 'play'), [40, 60]))
    cleanup(r)
    r = run('60 -\n', level=1, levels={1: flat()}, shots=(os.path.join(out, 'curtain'), [30]))
    cleanup(r)
    r = run('600 -\n', level=1, levels={1: gameover_level()},
            shots=(os.path.join(out, 'gameover'), list(range(150, 600, 10))))
    cleanup(r)
    r = run('200 -\n', level=1, levels={1: flat()}, shots=(os.path.join(out, 'clear'), [100]))
    cleanup(r)


CASES = cases(globals())


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument('--replay', required=True)
    ap.add_argument('--data', required=True)
    ap.add_argument('case', choices=sorted(CASES))
    ARGS = ap.parse_args()
    ARGS.replay = os.path.abspath(ARGS.replay)
    ARGS.data = os.path.abspath(ARGS.data)
    if not os.path.isdir(ARGS.data):
        print('no game data at %s (build the assetgen target first)' % ARGS.data)
        return 1
    return run_case(ARGS.case, CASES[ARGS.case])


if __name__ == '__main__':
    sys.exit(main())
