"""Serves quorvel-convert's output with a real Dovecot over IMAP and fetches
every message back: a tree converted with --layout maildir (read, and with
--unread) and with --relative --line-endings lf (mbox files, the Dovecot
setting :UTF-8 for the folder names). Every folder, non-ASCII letters, '&'
and '.' in its name included, must be selectable under the name it had, and
every message equal to its source once line ends are made alike.

Usage: dovecot_roundtrip.py QUORVEL_CONVERT. Exit 77 when Dovecot is not
installed."""
import base64
import email.utils
import grp
import imaplib
import os
import pwd
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

DOVECOT = '/usr/sbin/dovecot'
convert = sys.argv[1]

# folder below the listed "Mail" -> {file name: bytes}
SOURCES = {
    'Inbox': {
        'a.eml': b'From: Ann <ann@example.org>\r\nDate: Tue, 3 Mar 2020 10:00:00 +0000\r\nSubject: a\r\n\r\nhello\r\nFrom here on\r\nbye\r\n',
        'b.eml': b'From mailer@example.org Mon Jan  1 00:00:00 2001\nFrom: b@example.org\n'
                 b'Date: Wed, 4 Mar 2020 11:30:00 +0100\nSubject: b\n\nenvelope line left out\n',
    },
    'Inbox/Bounces': {
        'c.eml': b'From: MAILER-DAEMON@example.org\nDate: Thu, 5 Mar 2020 08:00:00 +0000\nSubject: c\n\n'
                 + b''.join(b'line %05d of a longer body\n' % k for k in range(3000)),
    },
    'Fr\u00fch & Sp\u00e4t': {
        'd.eml': b'From: d@example.org\r\nDate: Fri, 6 Mar 2020 09:00:00 +0000\r\nSubject: =?UTF-8?Q?d=C3=BC?=\r\n\r\nd\r\n',
    },
    'v1.2': {
        'e.eml': b'From: e@example.org\nDate: Sat, 7 Mar 2020 09:00:00 +0000\nSubject: e\n\ne\n',
    },
}

# How Dovecot names each folder of the Maildir++ tree: a dot inside a name
# is U+2024, which looks the same.
MAILDIR_NAMES = {
    'Inbox': 'Mail.Inbox',
    'Inbox/Bounces': 'Mail.Inbox.Bounces',
    'Fr\u00fch & Sp\u00e4t': 'Mail.Fr\u00fch & Sp\u00e4t',
    'v1.2': 'Mail.v1\u20242',
}


def lf(data):
    return data.replace(b'\r\n', b'\n')


def without_envelope(data):
    return data.split(b'\n', 1)[1] if data.startswith(b'From ') else data


def date_of(data):
    match = re.search(rb'^Date: (.*?)\r?$', data, re.M)
    return email.utils.parsedate_to_datetime(match.group(1).decode()).timestamp()


def decode_mutf7(name):
    """IMAP's modified UTF-7, decoded independently of the program's encoder."""
    def piece(match):
        if match.group(1) == '':
            return '&'
        text = match.group(1).replace(',', '/')
        return base64.b64decode(text + '=' * (-len(text) % 4)).decode('utf-16-be')
    return re.sub(r'&([^-]*)-', piece, name)


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def run_convert(*arguments):
    result = subprocess.run([convert, '-q', *arguments], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.exit('quorvel-convert %s failed: %s' % (arguments, result.stderr.decode(errors='replace')))


def start_dovecot(root, users, uid, gid):
    port = free_port()
    user = pwd.getpwuid(os.getuid()).pw_name
    group = grp.getgrgid(os.getgid()).gr_name
    with open(os.path.join(root, 'passwd'), 'w') as f:
        for name, (home, location) in users.items():
            f.write(f'{name}:{{PLAIN}}secret:{uid}:{gid}::{home}::userdb_mail={location}\n')
    conf = os.path.join(root, 'dovecot.conf')
    with open(conf, 'w') as f:
        f.write(f'''base_dir = {root}/run
state_dir = {root}/state
instance_name = quorvel-test-{os.getpid()}
log_path = {root}/dovecot.log
protocols = imap
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
default_internal_user = {'dovecot' if os.getuid() == 0 else user}
default_login_user = {'dovenull' if os.getuid() == 0 else user}
default_internal_group = {'dovecot' if os.getuid() == 0 else group}
first_valid_uid = {min(uid, 1)}
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {root}/passwd
}}
userdb {{
  driver = passwd-file
  args = username_format=%u {root}/passwd
}}
# No chroot: a user who is not root may run this too.
service anvil {{
  chroot =
}}
service imap-login {{
  chroot =
  inet_listener imap {{
    port = {port}
  }}
  inet_listener imaps {{
    port = 0
  }}
}}
''')
    server = subprocess.Popen([DOVECOT, '-F', '-c', conf], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    deadline = time.monotonic() + 30
    while True:
        try:
            socket.create_connection(('127.0.0.1', port), timeout=1).close()
            return server, port
        except OSError:
            if server.poll() is not None or time.monotonic() > deadline:
                sys.exit('dovecot did not start: ' + server.stderr.read().decode(errors='replace'))
            time.sleep(0.05)


def fetch_all(port, user):
    """{decoded folder name: [(message, flags, internal date)]} of every selectable folder."""
    imap = imaplib.IMAP4('127.0.0.1', port)
    imap.login(user, 'secret')
    status, listing = imap.list()
    assert status == 'OK', listing
    folders = {}
    for line in listing:
        match = re.match(rb'\((.*?)\) "(.)" (.*)$', line)
        flags, raw = match.group(1), match.group(3).decode('ascii')
        if b'\\Noselect' in flags or b'\\NonExistent' in flags:
            continue
        quoted = raw if raw.startswith('"') else '"%s"' % raw
        status, data = imap.select(quoted, readonly=True)
        assert status == 'OK', (raw, data)
        messages = []
        if int(data[0]) > 0:
            status, data = imap.fetch('1:*', '(FLAGS INTERNALDATE BODY.PEEK[])')
            assert status == 'OK', data
            for item in data:
                if isinstance(item, tuple):
                    date = imaplib.Internaldate2tuple(item[0])
                    seen = b'\\Seen' in item[0]
                    messages.append((lf(item[1]), seen, time.mktime(date)))
        folders[decode_mutf7(raw.strip('"'))] = messages
    imap.logout()
    return folders


def mboxrd_quoted(data):
    # Dovecot serves an mbox's lines as stored: it does not undo the quoting.
    return re.sub(rb'^(>*From )', rb'>\1', data, flags=re.M)


def expect(folders, name, sources, check, stored=lambda data: data):
    failures = []
    if name not in folders:
        return ['%s: not listed (folders: %s)' % (name, sorted(folders))]
    got = sorted(message for message, _, _ in folders[name])
    want = sorted(stored(lf(without_envelope(data))) for data in sources.values())
    if got != want:
        failures.append('%s: %d messages served, %d converted, or their texts differ' % (name, len(got), len(want)))
    for message, seen, date in folders[name]:
        failures += ['%s: %s' % (name, problem) for problem in check(message, seen, date)]
    return failures


def main():
    if not os.access(DOVECOT, os.X_OK):
        print('dovecot is not installed (apt-get install dovecot-imapd)')
        return 77
    root = tempfile.mkdtemp(prefix='quorvel-dovecot-')
    server = None
    try:
        os.chmod(root, 0o755)  # the mail user, when it is not us, must reach the trees
        for folder, files in SOURCES.items():
            os.makedirs(os.path.join(root, 'src', 'Mail', folder))
            for name, data in files.items():
                with open(os.path.join(root, 'src', 'Mail', folder, name), 'wb') as f:
                    f.write(data)
        source = os.path.join(root, 'src', 'Mail')
        run_convert('--layout', 'maildir', '--relative', source, '-o', os.path.join(root, 'maildir'))
        run_convert('--layout', 'maildir', '--unread', '--relative', source, '-o', os.path.join(root, 'unread'))
        run_convert('--relative', '--line-endings', 'lf', source, '-o', os.path.join(root, 'mbox'))
        # A folder Inbox listed itself is the INBOX, its subfolders below it.
        run_convert('--layout', 'maildir', '--relative', os.path.join(source, 'Inbox'), '-o', os.path.join(root, 'inbox'))
        # A second run with --skip-duplicates adds nothing.
        run_convert('--layout', 'maildir', '--skip-duplicates', '--relative', source, '-o', os.path.join(root, 'maildir'))
        open(os.path.join(root, 'mbox-inbox'), 'w').close()

        # Dovecot serves no mail as root: then the trees go to nobody.
        uid, gid = (65534, 65534) if os.getuid() == 0 else (os.getuid(), os.getgid())
        for name in ('maildir', 'unread', 'inbox', 'mbox', 'mbox-inbox'):
            for directory, _, files in os.walk(os.path.join(root, name)):
                for entry in [directory] + [os.path.join(directory, f) for f in files]:
                    os.chown(entry, uid, gid)
        os.chown(os.path.join(root, 'mbox-inbox'), uid, gid)
        homes = {name: os.path.join(root, 'home-' + name) for name in ('maildir', 'unread', 'inbox', 'mbox')}
        for home in homes.values():
            os.mkdir(home)
            os.chown(home, uid, gid)
        server, port = start_dovecot(root, {
            'maildir': (homes['maildir'], 'maildir:%s/maildir' % root),
            'unread': (homes['unread'], 'maildir:%s/unread' % root),
            'inbox': (homes['inbox'], 'maildir:%s/inbox' % root),
            'mbox': (homes['mbox'], 'mbox:%s/mbox:INBOX=%s/mbox-inbox:UTF-8' % (root, root)),
        }, uid, gid)

        def read_and_dated(message, seen, date):
            problems = [] if seen else ['a message is not marked as read']
            if abs(date - date_of(message)) > 1:
                problems.append('received date %s, not the Date field' % time.ctime(date))
            return problems

        def unread(message, seen, date):
            return ['a message is marked as read'] if seen else []

        failures = []
        maildir = fetch_all(port, 'maildir')
        unread_tree = fetch_all(port, 'unread')
        for folder, files in SOURCES.items():
            failures += expect(maildir, MAILDIR_NAMES[folder], files, read_and_dated)
            failures += expect(unread_tree, MAILDIR_NAMES[folder], files, unread)
        inbox = fetch_all(port, 'inbox')
        failures += expect(inbox, 'INBOX', SOURCES['Inbox'], read_and_dated)
        failures += expect(inbox, 'INBOX.Bounces', SOURCES['Inbox/Bounces'], read_and_dated)
        mbox = fetch_all(port, 'mbox')
        for folder, files in SOURCES.items():
            failures += expect(mbox, 'Mail/%s/%s.mbox' % (folder, folder.split('/')[-1]), files, lambda *_: [], mboxrd_quoted)
        if failures:
            print('\n'.join(failures))
            with open(os.path.join(root, 'dovecot.log'), errors='replace') as log:
                print(log.read()[-3000:])
            return 1
        print('%d maildir folders and %d mbox folders served right' % (len(maildir), len(mbox)))
        return 0
    finally:
        if server:
            server.terminate()
            server.wait(timeout=30)
        shutil.rmtree(root, ignore_errors=True)


sys.exit(main())
