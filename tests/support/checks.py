"""What the Python test scripts share: a failed check, the named cases of a script, an Xvfb of
a script's own and the run of one case."""

import os
import select
import shutil
import subprocess
import time


class Failure(Exception):
    pass


def check(cond, message):
    if not cond:
        raise Failure(message)


def cases(namespace):
    """The functions case_<name> of a script's globals, by name."""
    return {name[5:]: fn for name, fn in namespace.items() if name.startswith('case_')}


def start_xvfb(screen):
    """An Xvfb of its own. It picks a display whose sockets it can really bind (-displayfd),
    where lock files alone can mislead when several machines' tests share /tmp, and it does
    not reset when its last client leaves: the next game would find no server for a moment."""
    r, w = os.pipe()
    xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(w), '-screen', '0', screen, '-noreset',
                             '-nolisten', 'tcp'], pass_fds=(w,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(w)
    number = b''
    while not number.endswith(b'\n'):
        ready, _, _ = select.select([r], [], [], 30)
        chunk = os.read(r, 16) if ready else b''
        if not chunk:
            xvfb.kill()
            raise Failure('Xvfb did not start')
        number += chunk
    os.close(r)
    os.environ['DISPLAY'] = ':' + number.decode().strip()
    os.environ.pop('XAUTHORITY', None)
    return xvfb


def run_case(name, case, screen=None):
    """Runs one case, on an Xvfb of its own when a screen size is given; the exit status."""
    xvfb = None
    try:
        if screen:
            xvfb = start_xvfb(screen)
        case()
    except Failure as e:
        print('FAILED %s: %s' % (name, e))
        return 1
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
    print('ok %s' % name)
    return 0


def cleanup(work):
    """Removes a case's folder, unless STARHOP_KEEP_TESTDIR asks to keep it for a look."""
    if not os.environ.get('STARHOP_KEEP_TESTDIR'):
        shutil.rmtree(work, ignore_errors=True)


def xdo(*args):
    p = subprocess.run(['xdotool'] + [str(a) for a in args], capture_output=True, text=True,
                       timeout=30)
    check(p.returncode == 0, 'xdotool %s: %s' % (' '.join(map(str, args)), p.stderr))
    return p.stdout


def window_of(proc, tries, ended):
    """The first visible window of a program just started, given the focus; `ended()` says why
    when the program ends before its window appears."""
    for _ in range(tries):
        out = subprocess.run(['xdotool', 'search', '--onlyvisible', '--pid', str(proc.pid)],
                             capture_output=True, text=True).stdout
        if out.strip():
            win = out.split()[0]
            xdo('windowfocus', '--sync', win)
            return win
        if proc.poll() is not None:
            raise Failure(ended())
        time.sleep(0.1)
    raise Failure('no window appeared')
