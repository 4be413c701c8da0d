#!/usr/bin/env python3
"""The real game in a real window on a virtual X server: the window's scale checked pixel by
pixel, P, M and a focus loss by real key presses (xdotool), what is heard through SDL's disk
audio driver, and the command line's answers to bad values.

usage: players.py --game BIN --replay BIN --data DIR [--screen WxHxD] CASE
Cases: scale, keys (on an X server: --screen starts an Xvfb of that size), options (anywhere).
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))
from bmp import read_bmp24  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from checks import Failure, cases, check, cleanup, run_case, window_of, xdo  # noqa: E402

ARGS = None
BYTES_PER_SECOND = 22050 * 2 * 2  # the game's mixer: 22050 Hz, 16 bits, stereo
LOUD = 500


def workdir():
    work = tempfile.mkdtemp(prefix='starhop-players-')
    os.symlink(ARGS.data, os.path.join(work, 'data'))
    return work


def game_env(extra=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith('SDL12COMPAT_')}
    env.update(SDL_VIDEODRIVER='x11', SDL_AUDIODRIVER='disk', SDL_DISKAUDIOFILE='mixed.raw')
    env.update(extra or {})
    return env


class Game:
    """The game in its own window; keys go to it through the X server."""

    def __init__(self, work, args, env=None):
        self.work = work
        self.proc = subprocess.Popen([ARGS.game] + args, cwd=work, env=game_env(env),
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        self.win = window_of(self.proc, 200, self.ended)
        # Keys sent while the game still loads would be pressed and released before its
        # first pass: wait for the title, mostly white, to be drawn.
        deadline = time.time() + 30
        while brightness(self.shot('start')) < 200:
            check(time.time() < deadline, 'the title was never drawn')
            time.sleep(0.2)

    def size(self):
        geo = dict(l.split('=', 1) for l in xdo('getwindowgeometry', '--shell', self.win).split())
        return int(geo['WIDTH']), int(geo['HEIGHT'])

    def key(self, name):
        # Held across several passes: the game reads key snapshots once per pass, and a
        # pass can take long on a busy machine or in a sanitizer build.
        xdo('keydown', name)
        time.sleep(0.3)
        xdo('keyup', name)

    def shot(self, name):
        """The window's pixels as (width, height, bytes r g b ...), also kept as PPM."""
        path = os.path.join(self.work, name + '.ppm')
        p = subprocess.run(['import', '-window', self.win, '-depth', '8', 'ppm:' + path],
                           capture_output=True, timeout=30)
        check(p.returncode == 0, 'import: %s' % p.stderr)
        with open(path, 'rb') as f:
            data = f.read()
        fields, at = [], 0
        while len(fields) < 4:
            while data[at:at + 1].isspace():
                at += 1
            if data[at:at + 1] == b'#':
                at = data.index(b'\n', at)
                continue
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        check(fields[0] == b'P6' and fields[3] == b'255', 'not an 8-bit PPM: %s' % fields)
        w, h = int(fields[1]), int(fields[2])
        return w, h, data[at + 1:at + 1 + w * h * 3]

    def wait_shot(self, name, cond, what):
        """Shots until one meets `cond`: the game may take a while to draw on a busy machine."""
        deadline = time.time() + 20
        while True:
            shot = self.shot(name)
            if cond(shot):
                return shot
            check(time.time() < deadline, what)
            time.sleep(0.1)

    def quit(self):
        for _ in range(3):
            self.key('Escape')
            try:
                return self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass  # the press fell between two passes: Escape again is still a quit
        self.proc.kill()
        raise Failure('the game did not quit on Escape')

    def ended(self):
        with open(os.path.join(self.work, 'stderr.txt'), errors='replace') as f:
            err = f.read()[-300:]
        return 'the game ended before its window appeared: %s %s' % (self.log()[-200:], err)

    def log(self):
        with open(os.path.join(self.work, 'stdout.txt'), encoding='utf-8',
                  errors='replace') as f:
            return f.read()

    # ---- what the disk driver has written (it plays in real time)

    def mixed(self):
        try:
            return os.path.getsize(os.path.join(self.work, 'mixed.raw'))
        except OSError:
            return 0

    def wait_output(self, seconds):
        target = self.mixed() + int(seconds * BYTES_PER_SECOND)
        deadline = time.time() + 4 * seconds + 5
        while self.mixed() < target and time.time() < deadline:
            time.sleep(0.02)
        check(self.mixed() >= target, 'the audio driver stalled')

    def loudest(self, seconds):
        """Waits for `seconds` of output and returns its largest absolute sample."""
        start = self.mixed()
        self.wait_output(seconds)
        with open(os.path.join(self.work, 'mixed.raw'), 'rb') as f:
            f.seek(start & ~3)
            raw = f.read(int(seconds * BYTES_PER_SECOND))
        samples = memoryview(raw[:len(raw) & ~1]).cast('h')
        return max((abs(s) for s in samples), default=0)


def reference_title():
    """The title frame as the replay runner draws it: rows of (r, g, b), 512 x 512."""
    work = workdir()
    with open(os.path.join(work, 'script.txt'), 'w') as f:
        f.write('5 -\n')
    os.mkdir(os.path.join(work, 'shots'))
    env = {k: v for k, v in os.environ.items() if not k.startswith('SDL12COMPAT_')}
    env.update(SDL_VIDEODRIVER='dummy', SDL_AUDIODRIVER='dummy')
    subprocess.run([ARGS.replay, '--shots', 'shots', '--shot', '5', 'script.txt'], cwd=work,
                   env=env, timeout=120, check=True, capture_output=True)
    rows = read_bmp24(os.path.join(work, 'shots', 'pass-000005.bmp'))[2]
    cleanup(work)
    return rows


def check_scaled(shot, frame, scale):
    """Every window pixel is its game pixel: each game pixel a scale × scale block."""
    w, h, px = shot
    check((w, h) == (512 * scale, 512 * scale), 'window shot is %d x %d' % (w, h))
    wrong = 0
    first = None
    for y in range(h):
        row = frame[y // scale]
        base = y * w * 3
        for x in range(w):
            want = row[x // scale]
            i = base + 3 * x
            # The X server widens 16-bit colours on its own terms.
            if (abs(px[i] - want[0]) > 8 or abs(px[i + 1] - want[1]) > 8 or
                    abs(px[i + 2] - want[2]) > 8):
                wrong += 1
                first = first or (x, y, tuple(px[i:i + 3]), want)
    check(wrong == 0, '%d window pixels differ from their game pixel, first %s' % (wrong, first))


def brightness(shot):
    return sum(shot[2]) / len(shot[2])


# ---------------------------------------------------------------- cases

def case_scale():
    frame = reference_title()
    for args, env, scale, line in (
            ([], None, 2, 'Window scale: 2 (desktop 1280 x 1280)'),
            (['--scale', '1'], None, 1, 'Window scale: 1 (--scale)'),
            ([], {'SDL12COMPAT_WINDOW_SCALING': '1'}, 1,
             'Window scale: SDL12COMPAT_WINDOW_SCALING=1 from the environment')):
        work = workdir()
        g = Game(work, ['--window'] + args, env)
        check(g.size() == (512 * scale, 512 * scale), '%s: window %s' % (args, g.size()))
        check_scaled(g.shot('title'), frame, scale)
        check(g.quit() == 0, 'exit status')
        check(line in g.log(), '%s: no line "%s" in the log' % (args, line))
        cleanup(work)


def case_keys():
    work = workdir()
    g = Game(work, ['--window'])
    g.key('z')  # HAZIMEKARA: level 1 and its music
    deadline = time.time() + 20
    while g.loudest(0.3) <= LOUD:
        check(time.time() < deadline, 'the music never started')
    g.wait_output(1.0)  # past the level's first effects
    check(g.loudest(0.7) > LOUD, 'the music plays')

    g.key('m')
    g.wait_output(0.3)
    check(g.loudest(0.7) == 0, 'silence after M')
    g.key('m')
    g.wait_output(0.3)
    check(g.loudest(0.7) > LOUD, 'sound again after a second M')

    playing = g.shot('playing')
    lit = brightness(playing)

    def dimmed(shot):
        return brightness(shot) < 0.6 * lit

    def undimmed(shot):
        return brightness(shot) > 0.9 * lit

    g.key('p')
    g.wait_shot('pausing', dimmed, 'the frame dims after P')
    time.sleep(0.3)  # a shot taken while the window was being redrawn could mix two frames
    first = g.shot('paused')
    g.wait_output(0.2)
    check(g.loudest(0.7) == 0, 'the music holds while paused')
    check(g.shot('paused-later')[2] == first[2], 'the paused frame stands still')
    w, h, px = first
    middle = [px[3 * (y * w + x):3 * (y * w + x) + 3] for y in range(h // 2 - 20, h // 2 + 20)
              for x in range(w // 2 - 60, w // 2 + 60)]
    check(sum(1 for c in middle if min(c) > 240) > 100, '"PAUSE" in the middle')

    g.key('p')
    resumed = g.wait_shot('resumed', undimmed, 'play goes on undimmed after P')
    check(resumed[2] != first[2], 'play goes on')
    g.wait_output(0.2)
    check(g.loudest(0.7) > LOUD, 'the music goes on after P')

    # Losing the focus pauses; getting it back does not resume, P does.
    root = xdo('search', '--maxdepth', '0', '--name', '').split()[0]
    xdo('windowfocus', root)
    g.wait_shot('focus-losing', dimmed, 'a focus loss pauses')
    time.sleep(0.3)
    lost = g.shot('focus-lost')
    xdo('windowfocus', '--sync', g.win)
    time.sleep(0.5)
    check(g.shot('focus-back')[2] == lost[2], 'still paused with the focus back')
    g.key('p')
    g.wait_shot('after-focus', undimmed, 'P resumes after a focus loss')

    g.key('p')
    g.wait_shot('paused-again', dimmed, 'P pauses again')
    check(g.quit() == 0, 'Escape quits from the pause')
    cleanup(work)


def case_options():
    for args in (['--scale', '0'], ['--scale', '9'], ['--scale', 'x'], ['--scale'],
                 ['--window', '--scale=-1']):
        work = workdir()
        p = subprocess.run([ARGS.game] + args, cwd=work, capture_output=True, text=True,
                           stdin=subprocess.DEVNULL, timeout=60)
        lines = p.stderr.splitlines()
        check(p.returncode == 2, '%s: exit status %d' % (args, p.returncode))
        check(len(lines) == 1 and '--scale' in lines[0] and '1 to 4' in lines[0],
              '%s: %r' % (args, p.stderr))
        check(not os.path.exists(os.path.join(work, 'stdout.txt')), '%s: the game started' % args)
        cleanup(work)
    work = workdir()
    p = subprocess.run([ARGS.game, '--help'], cwd=work, capture_output=True, text=True,
                       stdin=subprocess.DEVNULL, timeout=60)
    check(p.returncode == 0 and all(o in p.stdout for o in ('--window', '--fullscreen', '--scale')),
          '--help: %d %r' % (p.returncode, p.stdout))
    check(not os.path.exists(os.path.join(work, 'stdout.txt')), '--help: the game started')
    cleanup(work)


CASES = cases(globals())


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument('--game', required=True)
    ap.add_argument('--replay', required=True)
    ap.add_argument('--data', required=True)
    ap.add_argument('--screen')
    ap.add_argument('case', choices=sorted(CASES))
    ARGS = ap.parse_args()
    ARGS.game = os.path.abspath(ARGS.game)
    ARGS.replay = os.path.abspath(ARGS.replay)
    ARGS.data = os.path.abspath(ARGS.data)
    return run_case(ARGS.case, CASES[ARGS.case], ARGS.screen)


if __name__ == '__main__':
    sys.exit(main())
