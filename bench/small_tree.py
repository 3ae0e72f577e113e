"""Makes the small-message tree for bench/cli.sh --small: COUNT messages of
1-3 KB in COUNT/100 folders two levels deep, CR LF and LF files, a few "From "
lines in bodies, every message with a Message-ID. Deterministic. Prints the
bytes written."""
import os
import random
import sys

root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(20261207)
words = [b'mail', b'archive', b'meeting', b'invoice', b'project', b'thanks', b'review', b'the', b'and']
folders = max(1, count // 100)
total = 0
for number in range(count):
    folder = number % folders
    path = os.path.join(root, 'year-%d' % (2000 + folder % 20), 'box-%04d' % folder)
    os.makedirs(path, exist_ok=True)
    eol = b'\r\n' if rng.random() < 0.67 else b'\n'
    header = eol.join([b'From: Sender %d <sender%d@example.org>' % (number % 173, number % 173),
                       b'To: reader@example.net', b'Subject: Message %d' % number,
                       b'Date: %d Mar 2019 10:%02d:00 +0100' % (1 + number % 28, 10 + number % 50),
                       b'Message-ID: <small%d@example.org>' % number, b'', b''])
    size = rng.randint(1000, 3000) - len(header)
    body, line = [], []
    length = 0
    while length < size:
        word = b'From the desk' if not line and rng.random() < 0.01 else rng.choice(words)
        line.append(word)
        length += len(word) + 1
        if sum(len(w) + 1 for w in line) > 68:
            body.append(b' '.join(line))
            line = []
    body.append(b' '.join(line))
    data = header + eol.join(body) + eol
    with open(os.path.join(path, '%06d.eml' % number), 'wb') as f:
        f.write(data)
    total += len(data)
print(total)
