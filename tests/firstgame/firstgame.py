#!/usr/bin/env python3
"""Runs the first-program probe as a user would, each case in a fresh directory.

usage: firstgame.py --program BIN --data DIR
Judged by what the user sees: the exit status, the terminal's standard error, the log files.
"""
import argparse
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from checks import Failure, check  # noqa: E402

FONT = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
ARGS = None


def no_core():
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))


def run(mode, prepare=None):
    work = tempfile.mkdtemp(prefix='starhop-firstgame-')
    data = os.path.join(work, 'data')
    os.mkdir(data)
    for name in ('chara.bmp', 'jump.ogg', 'dos.wav'):
        shutil.copy(os.path.join(ARGS.data, name), data)
    shutil.copy(FONT, os.path.join(data, 'sans.ttf'))
    if prepare:
        prepare(work)
    p = subprocess.run([ARGS.program, mode], cwd=work, capture_output=True, text=True,
                       timeout=120, preexec_fn=no_core)

    def read(name):
        path = os.path.join(work, name)
        return open(path, encoding='utf-8').read() if os.path.isfile(path) else None
    out, err = read('stdout.txt'), read('stderr.txt')
    if not os.environ.get('STARHOP_KEEP_TESTDIR'):
        shutil.rmtree(work, ignore_errors=True)
    return p, out, err


def ended(log):
    return log is not None and log.rstrip('\n').split('\n')[-1] == 'ログ終了'


def case_globals():
    p, out, _ = run('globals')
    check(p.returncode == 0, 'objects left at namespace scope: status %d, stderr %r'
          % (p.returncode, p.stderr))
    check(ended(out), 'the log ends with its end line: %r' % (out or '')[-200:])
    check('Font dtor ..' in out and 'end Music.load' in out and 'end Sound.load' in out,
          'the font, the music and the effect were really loaded')


def case_push():
    p, out, err = run('push')
    check(p.returncode == 1, 'push first: status %d' % p.returncode)
    lines = p.stderr.splitlines()
    check(len(lines) == 1, 'one line on the terminal: %r' % p.stderr)
    line = lines[0]
    check(line.startswith('[std::out_of_range] ') and
          line.endswith('push with no scene on the stack: the first scene is set with change'),
          'the terminal line names the error and the way out: %r' % line)
    check(err == line + '\n', 'stderr.txt holds the same line, as before: %r' % err)
    check(ended(out) and 'out_of_range' not in out, 'stdout.txt is the log as before')


def case_early():
    p, out, _ = run('early')
    check(p.returncode == -signal.SIGABRT, 'an uncaught assertion aborts: %d' % p.returncode)
    check('algo::Display_ does not exist' in p.stderr and 'algo::runProgram' in p.stderr,
          'the class is named readably and the way to start the engine told: %r' % p.stderr)
    check('N4algo' not in p.stderr, 'no mangled name: %r' % p.stderr)
    check(out is None, 'the engine never started')


def case_broken_directory():
    # A log file that cannot be opened stops the start; the line reaches the terminal once.
    for blocked in ('stdout.txt', 'stderr.txt'):
        p, _, _ = run('start', lambda work: os.mkdir(os.path.join(work, blocked)))
        check(p.returncode == 1, '%s blocked: status %d' % (blocked, p.returncode))
        expected = '[std::runtime_error] %s がオープンできません。\n' % blocked
        check(p.stderr == expected, '%s blocked: terminal %r' % (blocked, p.stderr))


CASES = [case_globals, case_push, case_early, case_broken_directory]


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument('--program', required=True)
    ap.add_argument('--data', required=True)
    ARGS = ap.parse_args()
    ARGS.program = os.path.abspath(ARGS.program)
    ARGS.data = os.path.abspath(ARGS.data)
    failed = 0
    for case in CASES:
        try:
            case()
            print('ok %s' % case.__name__)
        except Failure as e:
            print('FAILED %s: %s' % (case.__name__, e))
            failed = 1
    return failed


if __name__ == '__main__':
    sys.exit(main())
