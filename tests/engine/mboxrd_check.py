"""Reads mbox files with Python's own mailbox module and checks that each holds
one message per source file, in order, equal to the source after mboxrd
unquoting. Input on stdin, JSON: [{"mbox": path, "sources": [path, ...]}, ...];
an entry with "lf": true holds records written with LF line ends."""
import json
import mailbox
import re
import sys

LINE_START_QUOTE = re.compile(rb'(?<![^\r\n])>(>*From )')


def expected(source, lf=False):
    # A leading envelope line is not part of the message.
    if source.startswith(b'From ') and not re.match(rb'From[ \t]*:', source):
        end = re.search(rb'\r\n|\r|\n', source)
        source = b'' if end is None else source[end.end():]
    if lf:
        # Every line end (CR LF, lone CR, LF) is one LF; mailbox leaves out
        # the empty line that closes an LF record.
        lines = re.sub(rb'\r\n?', b'\n', source)
        return lines if not lines or lines.endswith(b'\n') else lines + b'\n'
    if not source:
        return b'\r\n'
    # Lines end at CR LF, CR or LF and are written with CR LF.
    lines = re.sub(rb'\r\n?|\n', b'\r\n', source)
    if not lines.endswith(b'\r\n'):
        lines += b'\r\n'
    return lines + b'\r\n'  # the empty line that closes the record


def main():
    problems = []
    for entry in json.load(sys.stdin):
        box = mailbox.mbox(entry['mbox'], create=False)
        found = [box.get_bytes(key) for key in box.keys()]
        if len(found) != len(entry['sources']):
            problems.append(f"{entry['mbox']}: {len(found)} messages for {len(entry['sources'])} files")
            continue
        for got, path in zip(found, entry['sources']):
            with open(path, 'rb') as f:
                want = expected(f.read(), entry.get('lf', False))
            if LINE_START_QUOTE.sub(rb'\1', got) != want:
                problems.append(f"{path}: message differs")
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)


if __name__ == '__main__':
    main()
