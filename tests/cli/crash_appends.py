"""Kills quorvel-convert at many points of its appends (strace injects SIGKILL
at the Nth write, pwrite or ftruncate), sometimes lets another mail program
append a message before the next run, sometimes kills the next run too, and
then runs it to the end. Afterwards every message must be in the mbox whole
and exactly once (--skip-duplicates), as Python's mailbox reads it, and the
other program's message and the mail that was there before must be there too.
The same for --into-thunderbird, killed also while it records the folder it
makes: the next run must continue that folder, not make "SRC 2".

Usage: crash_appends.py QUORVEL_CONVERT. QUORVEL_CRASH_ROUNDS=N repeats the
whole set N times with the sources' sizes varied (default 1)."""
import fcntl
import mailbox
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'engine'))
from mboxrd_check import LINE_START_QUOTE, expected  # noqa: E402

convert = sys.argv[1]
BEFORE = b'From old@x Mon Mar 04 10:00:00 2024\nSubject: old\n\nthere before\n\n'
FOREIGN = b'From other@y Tue Mar 05 11:00:00 2024\nSubject: foreign\n\nappended by another program\n\n'


def make_sources(folder, lines):
    sources = {
        'a.eml': b'From: a@x\r\nDate: 5 Mar 2024 10:00:00 +0000\r\nSubject: a\r\n\r\nhello\r\nFrom here\r\n',
        'b.eml': b'From: b@x\r\nDate: 6 Mar 2024 10:00:00 +0000\r\nSubject: b\r\n\r\n'
                 + b''.join(b'line %06d of b, From the middle\r\n' % i for i in range(lines)),
        'c.eml': b'From: c@x\r\nDate: 7 Mar 2024 10:00:00 +0000\r\nSubject: c\r\n\r\n>From quoted\r\nbye\r\n',
    }
    paths = []
    for name, data in sources.items():
        path = os.path.join(folder, name)
        with open(path, 'wb') as f:
            f.write(data)
        paths.append(path)
    return paths


def run(mbox, sources, kill=None):
    command = [convert, '-q', '--skip-duplicates', '--single', mbox] + sources
    if kill:
        calls, n = kill
        command = ['strace', '-f', '-qq', '-o', '/dev/null',
                   '-e', f'inject={calls}:signal=KILL:when={n}'] + command
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def append_foreign(mbox):
    # As a mail program appends under the lock: the torn line finished first.
    with open(mbox, 'ab+') as f:
        fcntl.lockf(f, fcntl.LOCK_EX)
        f.seek(0, os.SEEK_END)
        if f.tell() > 0:
            f.seek(-1, os.SEEK_END)
            if f.read(1) != b'\n':
                f.write(b'\n')
        f.write(FOREIGN)


def check(mbox, sources, foreign, what):
    problems = []
    box = mailbox.mbox(mbox, create=False)
    found = [LINE_START_QUOTE.sub(rb'\1', box.get_bytes(key)) for key in box.keys()]
    for path in sources:
        with open(path, 'rb') as f:
            want = expected(f.read())
        if found.count(want) != 1:
            problems.append(f'{what}: {os.path.basename(path)} is there whole {found.count(want)} times')
    with open(mbox, 'rb') as f:
        data = f.read()
    if not data.startswith(BEFORE):
        problems.append(f'{what}: the mail that was there before is damaged')
    if foreign and data.count(FOREIGN[:-1]) != 1:
        problems.append(f"{what}: the other program's message is not there once")
    if not foreign and len(found) != 1 + len(sources):
        problems.append(f'{what}: {len(found)} messages; a torn record was left behind')
    return problems


def run_into(profile, source, kill=None):
    command = [convert, '-q', '--skip-duplicates', f'--into-thunderbird={profile}', source]
    if kill:
        calls, n = kill
        command = ['strace', '-f', '-qq', '-o', '/dev/null', '-e', f'inject={calls}:signal=KILL:when={n}'] + command
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def check_into(local, sources, what):
    shown = sorted(name for name in os.listdir(local) if not name.startswith('.'))
    if shown != ['SRC']:
        return [f'{what}: Local Folders holds {shown}, not SRC alone']
    box = mailbox.mbox(os.path.join(local, 'SRC'), create=False)
    found = [re.sub(rb'^X-Mozilla-Status: 0001\nX-Mozilla-Status2: 00000000\n', b'',
                    LINE_START_QUOTE.sub(rb'\1', box.get_bytes(key))) for key in box.keys()]
    problems = []
    for path in sources:
        with open(path, 'rb') as f:
            want = expected(f.read(), lf=True)
        if found.count(want) != 1:
            problems.append(f'{what}: {os.path.basename(path)} is in SRC whole {found.count(want)} times')
    if len(found) != len(sources):
        problems.append(f'{what}: {len(found)} messages in SRC; a torn record was left behind')
    return problems


def into_thunderbird(folder, lines):
    runs = 0
    problems = []
    source = os.path.join(folder, 'SRC')
    os.makedirs(source, exist_ok=True)
    sources = make_sources(source, lines)
    profile = os.path.join(folder, 'profile')
    local = os.path.join(profile, 'Mail', 'Local Folders')
    points = [(calls, n) for calls, count in (('write', 9), ('pwrite64', 8), ('ftruncate', 3), ('rename', 1), ('fsync', 2))
              for n in range(1, count + 1)]
    for calls, n in points:
        for second in (None, ('pwrite64', 2) if n % 2 else ('write', 3)):
            what = f'--into-thunderbird killed at {calls} {n}' + (f', next run killed at {second[0]} {second[1]}' if second else '')
            shutil.rmtree(profile, ignore_errors=True)
            os.makedirs(local)
            open(os.path.join(profile, 'prefs.js'), 'wb').close()
            run_into(profile, source, (calls, n))
            if second:
                run_into(profile, source, second)
            final = run_into(profile, source)
            runs += 3 if second else 2
            if final.returncode != 0:
                problems.append(f'{what}: the last run failed: {final.stderr.decode(errors="replace")}')
            problems += check_into(local, sources, what)
    return runs, problems


def main():
    if shutil.which('strace') is None:
        print('strace is not installed (scripts/setup.sh with QUORVEL_WITH_TESTS=1 installs it)')
        sys.exit(77)
    rounds = int(os.environ.get('QUORVEL_CRASH_ROUNDS', '1'))
    runs = 0
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        for round_ in range(rounds):
            sources = make_sources(folder, 20000 + 977 * round_)
            mbox = os.path.join(folder, 'box.mbox')
            points = [(calls, n) for calls, count in (('write', 14), ('pwrite64', 10), ('ftruncate', 4)) for n in range(1, count + 1)]
            for calls, n in points:
                for foreign in (False, True):
                    for second in (None, ('pwrite64', 2) if n % 2 else ('write', 3)):
                        what = f'killed at {calls} {n}' + (', mail appended' if foreign else '') \
                               + (f', next run killed at {second[0]} {second[1]}' if second else '')
                        for leftover in (mbox, mbox + '.lock', os.path.join(folder, '.box.mbox.append')):
                            if os.path.exists(leftover):
                                os.remove(leftover)
                        with open(mbox, 'wb') as f:
                            f.write(BEFORE)
                        run(mbox, sources, (calls, n))
                        if foreign:
                            append_foreign(mbox)
                        if second:
                            run(mbox, sources, second)
                        final = run(mbox, sources)
                        runs += 3 if second else 2
                        if final.returncode != 0:
                            problems.append(f'{what}: the last run failed: {final.stderr.decode(errors="replace")}')
                        problems += check(mbox, sources, foreign, what)
            into_runs, into_problems = into_thunderbird(folder, 20000 + 977 * round_)
            runs += into_runs
            problems += into_problems
    for problem in problems:
        print(problem)
    print(f'{runs} runs, {len(problems)} problems')
    sys.exit(1 if problems else 0)


main()
