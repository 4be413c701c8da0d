#!/usr/bin/env python3
"""starhop-edit in a real window on a virtual X server, driven with xdotool as a player would:
a level drawn with the mouse on a blank one, a stroke undone and redone, a rectangle filled,
saved, played in the test play until it is cleared, saved again with its proof; then the game
itself plays the saved bitmap as a level pack with that proof, `starhop-levels check` finds a
route and replays the proof, and `starhop-levels solve` writes a route of its own, which the
game plays to the end too. Also the bad level files a user may hand it, and the screenshots
of the docs (remade by the case `screenshots`).

usage: edit.py --edit BIN --replay BIN --levels BIN --build DIR [--screen WxHxD] CASE
Cases: draw, screenshots (on an X server: --screen starts an Xvfb), bad (anywhere).
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'support'))
sys.path.insert(0, os.path.join(HERE, '..', 'e2e'))
from checks import Failure, cases, check, cleanup, run_case, window_of, xdo  # noqa: E402
from bmp import bmp8, bmp24, level_bmp  # noqa: E402

ARGS = None
LEGEND = '.#^*BX/\\89abcdeS'


def workdir():
    """What the editor needs beside it, as the build stages it: data/ and edit/."""
    work = tempfile.mkdtemp(prefix='starhop-edit-')
    for d in ('data', 'edit'):
        os.symlink(os.path.join(ARGS.build, d), os.path.join(work, d))
    os.mkdir(os.path.join(work, 'config'))
    return work


def env_for(work, extra=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith('SDL12COMPAT_')}
    env.update(SDL_VIDEODRIVER='x11', SDL_AUDIODRIVER='dummy',
               XDG_CONFIG_HOME=os.path.join(work, 'config'))
    env.update(extra or {})
    return env


class Editor:
    """The editor in its own window at scale 1: cell (c, r) is at 16 + 15c, 16 + 15r."""

    def __init__(self, work, args):
        self.work = work
        self.proc = subprocess.Popen([ARGS.edit, '--scale', '1'] + args, cwd=work,
                                     env=env_for(work), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.win = window_of(self.proc, 300, lambda: 'the editor ended before its window '
                             'appeared: %s' % self.proc.stderr.read())
        self.wait_log('edit: ', 'the first message')
        time.sleep(0.5)

    def log(self):
        with open(os.path.join(self.work, 'stdout.txt'), encoding='utf-8', errors='replace') as f:
            return f.read()

    def wait_log(self, text, what, seconds=30, count=1):
        deadline = time.time() + seconds
        while self.log().count(text) < count:
            check(self.proc.poll() is None, 'the editor ended while waiting for %s' % what)
            check(time.time() < deadline, 'no "%s" in the log: %s' % (text, what))
            time.sleep(0.1)

    def point(self, column, row):
        return 16 + 15 * column + 7, 16 + 15 * row + 7

    def move(self, x, y):
        xdo('mousemove', '--window', self.win, x, y)
        time.sleep(0.05)

    def click(self, x, y, button=1):
        self.move(x, y)
        # Held across passes, as a hand holds it.
        xdo('mousedown', button)
        time.sleep(0.08)
        xdo('mouseup', button)
        time.sleep(0.08)

    def tile(self, code):
        """Clicks the palette entry of a tile code."""
        self.click(512 + 6 + (code % 2) * 140 + 60, 44 + (code // 2) * 58 + 25)

    def stroke(self, cells, button=1, shift=False):
        """Presses on the first cell, moves through the others, lets go on the last."""
        if shift:
            xdo('keydown', 'shift')
        self.move(*self.point(*cells[0]))
        xdo('mousedown', button)
        time.sleep(0.08)
        for cell in cells[1:]:
            self.move(*self.point(*cell))
        time.sleep(0.08)
        xdo('mouseup', button)
        time.sleep(0.08)
        if shift:
            xdo('keyup', 'shift')

    def key(self, name):
        xdo('key', '--window', self.win, '--delay', '60', name)
        time.sleep(0.15)

    def hold(self, name, seconds):
        xdo('keydown', name)
        time.sleep(seconds)
        xdo('keyup', name)

    def shot(self, path):
        p = subprocess.run(['import', '-window', self.win, path], capture_output=True,
                           timeout=30)
        check(p.returncode == 0, 'import: %s' % p.stderr)

    def quit(self):
        self.key('Escape')
        try:
            return self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise Failure('the editor did not quit on Escape')


def grid_of(text):
    lines = text.split('\n')
    check(len(lines) == 33 and lines[32] == '', 'a text grid is 32 lines: %r' % text[:80])
    return [list(l) for l in lines[:32]]


def blank():
    g = [['.'] * 32 for _ in range(32)]
    for i in range(32):
        g[0][i] = g[31][i] = g[i][0] = g[i][31] = '#'
    return g


def pack_of(level_bmp_path, proof=None):
    """A level pack folder holding the level as map1.bmp (and its proof as map1.proof), in a
    folder whose data/ is the game's own."""
    work = tempfile.mkdtemp(prefix='starhop-edit-game-')
    os.symlink(os.path.join(ARGS.build, 'data'), os.path.join(work, 'data'))
    pack = os.path.join(work, 'pack')
    os.mkdir(pack)
    shutil.copy(level_bmp_path, os.path.join(pack, 'map1.bmp'))
    if proof:
        shutil.copy(proof, os.path.join(pack, 'map1.proof'))
    return work, pack


def headless():
    env = {k: v for k, v in os.environ.items() if not k.startswith('SDL12COMPAT_')}
    env.update(SDL_VIDEODRIVER='dummy', SDL_AUDIODRIVER='dummy')
    return env


def play(script, level_bmp_path):
    """The game itself plays the level as a pack of one: its trace, pass by pass."""
    work, pack = pack_of(level_bmp_path)
    p = subprocess.run([ARGS.replay, '--levels', pack, '--level', '1', '--trace', 'trace.jsonl',
                        os.path.abspath(script)], cwd=work, env=headless(),
                       capture_output=True, text=True, timeout=300)
    check(p.returncode == 0, 'starhop-replay: %d %s' % (p.returncode, p.stderr))
    with open(os.path.join(work, 'trace.jsonl')) as f:
        trace = [json.loads(l) for l in f]
    cleanup(work)
    return trace


def cleared(trace, what):
    """The level ends (here in the clear scene: no second level) and no rabbit is lost."""
    check(trace and trace[-1]['scene'] == 'clear', '%s: the level did not end: %s' %
          (what, trace[-1] if trace else None))
    deaths = [t['pass'] for t in trace if t.get('corpses')]
    check(not deaths, '%s: a rabbit was lost on pass %s' % (what, deaths[:1]))


def check_pack(level_bmp_path, proof):
    """starhop-levels check on the level with its proof: the rules hold, a route is found and
    the proof clears the level."""
    work, pack = pack_of(level_bmp_path, proof)
    p = subprocess.run([ARGS.levels, 'check', '--time-limit', '60', pack], cwd=work,
                       env=headless(), capture_output=True, text=True, timeout=300)
    check(p.returncode == 0, 'starhop-levels check: %d %s %s' % (p.returncode, p.stdout,
                                                                 p.stderr))
    check('no route' not in p.stdout, 'the check found no route: %s' % p.stdout)
    cleanup(work)
    return p.stdout


def solve(level_bmp_path, out):
    """starhop-levels solve: a route of the tool's own through the level."""
    work, pack = pack_of(level_bmp_path)
    p = subprocess.run([ARGS.levels, 'solve', '1', pack, '-o', os.path.abspath(out),
                        '--time-limit', '60'], cwd=work, env=headless(), capture_output=True,
                       text=True, timeout=300)
    check(p.returncode == 0, 'starhop-levels solve found no route: %d %s' % (p.returncode,
                                                                           p.stderr))
    cleanup(work)


# ---------------------------------------------------------------- cases

def case_draw():
    work = workdir()
    level = os.path.join(work, 'levels', 'meadow.bmp')
    os.mkdir(os.path.dirname(level))
    # A level that does not exist yet, named relative to the directory given with --dir.
    ed = Editor(work, ['--dir', os.path.dirname(level), 'meadow.bmp'])
    check('edit: A new level' in ed.log(), 'a new level: %s' % ed.log()[-300:])

    want = blank()
    ed.tile(1)  # solid: a floor across row 27
    ed.stroke([(1, 27), (12, 27), (30, 27)])
    for c in range(1, 31):
        want[27][c] = '#'
    # Shift + drag: the two rows below the floor in one rectangle of thorns, then undone by
    # an erasing rectangle and refilled solid.
    ed.tile(2)
    ed.stroke([(1, 29), (30, 30)], shift=True)
    ed.stroke([(1, 29), (30, 30)], button=3, shift=True)
    ed.tile(1)
    ed.stroke([(30, 28), (1, 30)], shift=True)
    for r in (28, 29, 30):
        for c in range(1, 31):
            want[r][c] = '#'
    ed.tile(15)
    ed.click(*ed.point(3, 20))  # a first start, moved by the second
    ed.click(*ed.point(2, 26))
    want[26][2] = 'S'
    ed.tile(3)
    for c in (8, 14, 20):
        ed.click(*ed.point(c, 26))
        want[26][c] = '*'

    # A stroke undone, another undone and redone.
    ed.tile(1)
    ed.stroke([(10, 18), (14, 18)])
    ed.key('ctrl+z')
    ed.stroke([(5, 14), (9, 14)])
    ed.key('ctrl+z')
    ed.key('ctrl+y')
    for c in range(5, 10):
        want[14][c] = '#'
    ed.wait_log('edit: Redone', 'the redo')
    check(ed.log().count('edit: Undone') == 2, 'two undos: %s' % ed.log()[-500:])

    # Escape with changes asks first; Escape again cancels the question.
    ed.key('Escape')
    time.sleep(0.5)
    check(ed.proc.poll() is None, 'quit without asking about the changes')
    ed.key('Escape')

    ed.key('ctrl+s')
    ed.wait_log('edit: Saved meadow.bmp, meadow.txt', 'the save')
    with open(os.path.join(os.path.dirname(level), 'meadow.txt')) as f:
        got = grid_of(f.read())
    check(got == want, 'the saved level:\n%s\nwanted:\n%s' %
          ('\n'.join(''.join(r) for r in got), '\n'.join(''.join(r) for r in want)))

    # The test play: Right held until the level has ended and the editor is back.
    ed.key('t')
    ed.wait_log('edit: Test play', 'the test play')
    xdo('keydown', 'Right')
    try:
        ed.wait_log('edit: Cleared! ', 'the level cleared in the test play', seconds=60)
    finally:
        xdo('keyup', 'Right')
    ed.key('ctrl+s')
    ed.wait_log('with the proof', 'the save with the proof')
    proof = os.path.join(os.path.dirname(level), 'meadow.proof')
    check(os.path.exists(proof), 'no meadow.proof')
    with open(os.path.join(work, 'config', 'starhop', 'editor.ini')) as f:
        prefs = f.read()
    check('file\t= ' + level in prefs, 'the preferences keep the level: %r' % prefs)
    check(ed.quit() == 0, 'exit status')

    # The game plays the saved bitmap, and the proof clears it without a loss; the pack tool
    # finds a route and replays the proof as well.
    cleared(play(proof, level), 'the proof')
    check_pack(level, proof)
    # The pack tool's own route, which the game plays to the end as well.
    route = os.path.join(work, 'route.txt')
    solve(level, route)
    cleared(play(route, level), "the pack tool's route")

    # Started again without a level: the one edited last, as it was saved.
    ed = Editor(work, [])
    check('edit: Opened meadow.bmp' in ed.log(), 'the last level: %s' % ed.log()[-300:])
    check(ed.quit() == 0, 'exit status')
    cleanup(work)


def case_bad():
    work = tempfile.mkdtemp(prefix='starhop-edit-bad-')
    for d in ('data', 'edit'):
        os.symlink(os.path.join(ARGS.build, d), os.path.join(work, d))
    good = ['#' * 32] + ['#' + '.' * 30 + '#'] * 30 + ['#' * 32]
    files = {
        'small.bmp': bmp8(16, 16, [[0] * 16] * 16),
        'deep.bmp': bmp24(32, 32),
        'codes.bmp': bmp8(32, 32, [[17] * 32] * 32),
        'cut.bmp': level_bmp(good)[:600],
        'lines.txt': '\n'.join(good[:20]) + '\n',
        'legend.txt': '\n'.join(good[:5] + ['#' + 'Q' * 30 + '#'] + good[6:]) + '\n',
        'empty.txt': '',
        'level.png': 'not a level',
    }
    for name, data in files.items():
        with open(os.path.join(work, name), 'wb') as f:
            f.write(data.encode() if isinstance(data, str) else data)
    os.mkdir(os.path.join(work, 'folder.bmp'))
    env = {k: v for k, v in os.environ.items() if not k.startswith('SDL12COMPAT_')}
    env.update(SDL_VIDEODRIVER='dummy', SDL_AUDIODRIVER='dummy',
               XDG_CONFIG_HOME=os.path.join(work, 'config'))
    for name in list(files) + ['folder.bmp']:
        p = subprocess.run([ARGS.edit, name], cwd=work, env=env, capture_output=True,
                           text=True, stdin=subprocess.DEVNULL, timeout=60)
        lines = p.stderr.splitlines()
        path = os.path.join(os.path.realpath(work), name)
        check(p.returncode == 1, '%s: exit status %d, %r' % (name, p.returncode, p.stderr))
        check(len(lines) == 1 and lines[0].startswith('starhop-edit: ' + path),
              '%s: %r' % (name, p.stderr))
        with open(os.path.join(work, 'stdout.txt'), encoding='utf-8') as f:
            log = f.read()
        check(lines[0] in log, '%s: the line is not in the log' % name)
        check(log.rstrip().endswith('ログ終了'), '%s: the engine did not end in order' % name)
        if name in files:
            with open(os.path.join(work, name), 'rb') as f:
                kept = f.read()
            data = files[name]
            check(kept == (data.encode() if isinstance(data, str) else data), '%s: changed' % name)
    for args, what in ((['--scale', '7'], '--scale'), (['a.bmp', 'b.bmp'], 'one level'),
                       (['--wide'], 'unknown option')):
        p = subprocess.run([ARGS.edit] + args, cwd=work, env=env, capture_output=True,
                           text=True, stdin=subprocess.DEVNULL, timeout=60)
        check(p.returncode == 2 and what in p.stderr, '%s: %d %r' % (args, p.returncode, p.stderr))
    cleanup(work)


def case_screenshots():
    """The pictures of README.md and docs/levels.md, into --out."""
    out = os.path.abspath(ARGS.out)
    work = workdir()
    src = os.path.join(HERE, '..', '..', 'assets', 'levels', 'map3.txt')
    level = os.path.join(work, 'map3.txt')
    shutil.copy(src, level)
    ed = Editor(work, [level])
    ed.key('c')
    ed.wait_log('edit: A route takes every star', 'the check', seconds=120)
    ed.move(*ed.point(12, 20))
    time.sleep(0.5)
    ed.shot(os.path.join(out, 'editor.png'))
    # The palette alone, for the table of tiles.
    subprocess.run(['convert', os.path.join(out, 'editor.png'), '-crop', '288x512+512+0',
                    '+repage', os.path.join(out, 'editor-tiles.png')], check=True, timeout=60)
    # A rule broken, live, in Japanese, with a rectangle being drawn.
    ed.key('l')
    ed.tile(2)
    ed.click(*ed.point(31, 12))
    ed.tile(4)
    xdo('keydown', 'shift')
    ed.move(*ed.point(9, 17))
    xdo('mousedown', 1)
    ed.move(*ed.point(14, 19))
    time.sleep(0.5)
    ed.shot(os.path.join(out, 'editor-ja.png'))
    xdo('mouseup', 1)
    xdo('keyup', 'shift')
    ed.key('ctrl+z')
    ed.key('ctrl+z')
    ed.key('l')
    ed.key('t')
    ed.wait_log('edit: Test play', 'the test play')
    time.sleep(2)
    ed.shot(os.path.join(out, 'editor-play.png'))
    ed.key('Escape')
    ed.wait_log('edit: Test play ended', 'the end of the test play')
    ed.key('h')
    time.sleep(0.5)
    ed.shot(os.path.join(out, 'editor-help.png'))
    ed.key('h')
    check(ed.quit() == 0, 'exit status')
    cleanup(work)


CASES = cases(globals())


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument('--edit', required=True)
    ap.add_argument('--replay', required=True)
    ap.add_argument('--levels', required=True)
    ap.add_argument('--build', required=True)
    ap.add_argument('--screen')
    ap.add_argument('--out', default='.')
    ap.add_argument('case', choices=sorted(CASES))
    ARGS = ap.parse_args()
    for a in ('edit', 'replay', 'levels', 'build'):
        setattr(ARGS, a, os.path.abspath(getattr(ARGS, a)))
    return run_case(ARGS.case, CASES[ARGS.case], ARGS.screen)


if __name__ == '__main__':
    sys.exit(main())
