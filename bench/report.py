#!/usr/bin/env python3
"""Tables of the benchmark results, side by side per subject and operation.

  report.py count <callgrind dump>...   instructions per operation (msgdef_bench --count)
  report.py time <results.json>         CPU nanoseconds per operation (Google Benchmark JSON)

Case names are "<subject>/<operation>/<contender>[@<repeat>][@reset]". The
cost of the bench loop itself (case "stream/reset/none") is taken off every
figure, and that of a stream reset ("stream/reset/cdr") off the cases that
reset their stream first. Every other contender is compared with "peer", or
with "reference" where a subject has no peer.
"""

import json
import re
import sys


def parse_name(raw):
    parts = raw.split('@')
    return parts[0], 'reset' in parts[1:], next((int(p) for p in parts[1:] if p.isdigit()), 1)


def dump_number(path):
    """Callgrind numbers its dumps <file>.1, <file>.2, ...: the order the cases ran."""
    suffix = path.rsplit('.', 1)[-1]
    return int(suffix) if suffix.isdigit() else 0


def from_callgrind(paths):
    costs = {}
    for path in sorted(paths, key=dump_number):
        name = total = None
        with open(path) as dump:
            for line in dump:
                if line.startswith('desc: Trigger: Client Request: '):
                    name = line.split(': ', 2)[2].split(': ', 1)[1].strip()
                elif line.startswith('summary:'):  # events since the counters were zeroed
                    total = int(line.split()[1])
        if name is not None and total is not None:
            case, reset, repeat = parse_name(name)
            costs[case] = (total / repeat, reset)
    return costs


def from_json(path):
    with open(path) as results:
        data = json.load(results)
    costs = {}
    for run in data['benchmarks']:
        if run.get('run_type', 'iteration') != 'iteration':
            continue
        case, reset, _ = parse_name(run['name'])
        scale = {'ns': 1, 'us': 1e3, 'ms': 1e6, 's': 1e9}[run.get('time_unit', 'ns')]
        costs[case] = (run['cpu_time'] * scale, reset)  # CPU time: less at the mercy of other load
    return costs


def tables(costs, unit, least):
    loop = costs.pop('stream/reset/none', (0, False))[0]
    reset = costs.pop('stream/reset/cdr', (loop, False))[0] - loop
    rows = {}
    for case, (cost, resets) in costs.items():
        subject, operation, contender = case.split('/')
        net = cost - loop - (reset if resets else 0)
        rows.setdefault((subject, operation), {})[contender] = net
    # One table per baseline (peer, reference), contenders in the order the cases came.
    families = {}
    for key, row in rows.items():
        base = 'peer' if 'peer' in row else 'reference' if 'reference' in row else ''
        entries, contenders = families.setdefault(base, ([], []))
        entries.append((key, row))
        contenders.extend(c for c in row if c not in contenders)
    out = []
    for base, (entries, contenders) in families.items():
        others = [c for c in contenders if c not in (base, 'memcpy')] if base else []
        head = ['subject', 'operation'] + [f'{c} ({unit})' for c in contenders] + \
            [f'{c}/{base}' for c in others]
        out.append('| ' + ' | '.join(head) + ' |')
        out.append('|' + '---|' * len(head))
        for (subject, operation), row in entries:
            cells = [subject, operation] + [f'{row[c]:.0f}' if c in row else '' for c in contenders]
            for c in others:
                # Below `least` the loop's own noise decides: no ratio.
                cells.append(f'{row[c] / row[base]:.2f}' if row[base] >= least else '-')
            out.append('| ' + ' | '.join(cells) + ' |')
        out.append('')
    return '\n'.join(out)


def main(argv):
    if len(argv) < 3 or argv[1] not in ('count', 'time'):
        print(__doc__, file=sys.stderr)
        return 2
    if argv[1] == 'count':
        print(tables(from_callgrind(argv[2:]), 'instructions', 20))
    else:
        print(tables(from_json(argv[2]), 'ns', 5))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
