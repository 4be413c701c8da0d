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


def lines(text):
    return [l for l in (text or '').splitlines() if l]


def logged(out, text):
    """True when the log has a time-stamped line that is exactly this text."""
    return any(l[16:18] == ': ' and l[18:] == text for l in lines(out))


def case_throwing_task():
    # A task with the default stack whose body throws: the unwinder fits, and the error
    # reaches the body's caller, which ends the program as any error does.
    p, out, err = run('throw')
    check(p.returncode == 1, 'throwing task: status %d, stderr %r' % (p.returncode, p.stderr))
    line = lines(p.stderr)
    check(len(line) == 1 and line[0].startswith('[basic::AssertError] ') and
          line[0].endswith('MicroThread: an error escaped the task body: '
                           '[std::runtime_error] the fruit fell through the floor'),
          'one line naming the task and the error: %r' % p.stderr)
    check(err == p.stderr, 'stderr.txt holds the same line: %r' % err)
    check(ended(out), 'the engine ended in order')


def case_overflowing_task():
    p, out, err = run('overflow')
    check(p.returncode == -signal.SIGSEGV, 'overflow: status %d' % p.returncode)
    text = ('MicroThread: a task ran off its stack of 4096 bytes (and the 65536-byte reserve '
            'below it); give it more with start(body, size)')
    check(p.stderr == text + '\n', 'one line on the terminal: %r' % p.stderr)
    check(logged(out, 'the task starts') and lines(out)[-1].endswith(': ' + text),
          'the log keeps what came before and ends with the line: %r' % (out or '')[-400:])


def case_actor_with_a_picture():
    p, out, _ = run('actor')
    check(p.returncode == 0, 'actor loading a picture: status %d, stderr %r'
          % (p.returncode, p.stderr))
    check(logged(out, 'fruit drawn') and ended(out), 'the actor was made and drawn')
    # Its 128 objects were made while the engine ran, each loading its picture.
    starts = out.index('Audio ctor ..')
    check(out.count('start Texture.loadimg', starts) == 128, 'the pool made 128 actors')


def case_crash_after_a_line():
    p, out, _ = run('crash')
    check(p.returncode == -signal.SIGSEGV, 'crash: status %d' % p.returncode)
    text = "fatal signal SIGSEGV (segmentation fault: memory that is not the program's)"
    check(p.stderr == text + '\n', 'the signal is named on the terminal: %r' % p.stderr)
    log = lines(out)
    check(len(log) >= 2 and log[-2].endswith(': about to write through a pointer to nowhere') and
          log[-1].endswith(': ' + text), 'the log keeps its last line and names the signal: %r'
          % log[-3:])


def case_lua_run_time_error():
    p, out, err = run('lua')
    check(p.returncode == 1, 'Lua error: status %d' % p.returncode)
    message = "[string \"local t = nil...\"]:3: attempt to index local 't' (a nil value)"
    check(p.stderr == '[algo::LuaError] パースエラー / lua:%s\n' % message,
          'the fixed message, then Lua\'s own: %r' % p.stderr)
    check(err.endswith(p.stderr) and message + '\n' in err, 'stderr.txt: %r' % err)
    check('Lua panic!' in out and ended(out), 'the diagnostic block is logged')


def case_draw_before_the_video_mode():
    p, _, err = run('predraw')
    check(p.returncode == 1, 'draw before the video mode: status %d' % p.returncode)
    check(p.stderr == '[algo::SDLError] error SDL_BlitSurface / sdl:nowhere to draw: the screen '
          'has no surface before setVideoMode\n', 'the reason is this call\'s own: %r' % p.stderr)
    check('colorkey' not in err, 'no reason left over from an earlier call: %r' % err)


def case_errors_that_are_not_exceptions():
    p, out, _ = run('escape')
    check(p.returncode == 1 and p.stderr == "[unknown] an error that is not a std::exception "
          "left the program's body\n", 'throw 42: status %d, %r' % (p.returncode, p.stderr))
    check(ended(out), 'the engine ended in order')
    p, out, _ = run('terminate')
    check(p.returncode == -signal.SIGABRT, 'terminate: status %d' % p.returncode)
    said = ['terminate: [std::logic_error] thrown where nothing may throw',
            'fatal signal SIGABRT (the program aborted)']
    check(lines(p.stderr) == said, 'both lines on the terminal: %r' % p.stderr)
    check([l[18:] for l in lines(out)[-2:]] == said, 'and in the log: %r' % lines(out)[-2:])


def case_picture_before_the_engine():
    os.environ['FIRSTGAME_STATIC'] = '1'
    try:
        p, out, _ = run('static')
    finally:
        del os.environ['FIRSTGAME_STATIC']
    check(p.returncode == -signal.SIGABRT, 'static picture: status %d' % p.returncode)
    check('Texture.loadimg(data/chara.bmp) before algo::runProgram started the engine'
          in p.stderr, 'the terminal says what and why: %r' % p.stderr)
    check(out is None, 'the engine never started')


CASES = [case_globals, case_push, case_early, case_broken_directory, case_throwing_task,
         case_overflowing_task, case_actor_with_a_picture, case_crash_after_a_line,
         case_lua_run_time_error, case_draw_before_the_video_mode,
         case_errors_that_are_not_exceptions, case_picture_before_the_engine]


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
