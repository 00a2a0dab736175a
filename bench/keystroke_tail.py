#!/usr/bin/env python3
"""Which keys make the keystroke tail: joins sorla_keys' per-key table with
the instructions callgrind dumped for each key (one part per key, in typing
order) and says what the top 1% and the top 10 keys are.
Usage: keystroke_tail.py KEYS.tsv CALLGRIND.out"""
import collections
import csv
import math
import re
import sys


def parts(path):
    """Instructions of each dumped part, in order."""
    out = []
    with open(path) as f:
        for line in f:
            if line.startswith("totals:"):
                out.append(int(line.split()[1]))
    return out


def percentile(sorted_values, q):
    """Nearest rank, as the benchmark's."""
    return sorted_values[max(0, math.ceil(q * len(sorted_values)) - 1)]


def main(keys_path, callgrind_path):
    rows = list(csv.DictReader(open(keys_path), delimiter="\t"))
    # The last part is callgrind's own dump at exit.
    instr = parts(callgrind_path)[:-1]
    if len(instr) != len(rows):
        sys.exit(f"{len(rows)} keys but {len(instr)} callgrind parts")
    seen, case = set(), None
    for r, n in zip(rows, instr):
        r["instr"] = n
        if r["case"] != case:
            case, seen = r["case"], set()
        # Whether the key's last letter starts no span before it in this
        # case: its shared column 1 is made on this key.
        last = r["typed"][-1:].lower()
        r["new_first"] = r["kind"] in ("first", "letter", "after-space", "worst") and \
            last.isalpha() and last not in seen
        seen.update(c for c in r["typed"].lower() if c.isalpha())
    total = len(rows)
    for key, unit in (("instr", "instructions"), ("us", "us")):
        values = sorted(float(r[key]) for r in rows)
        print(f"{unit} per key: p50 {percentile(values, .5):.0f}  p90 {percentile(values, .9):.0f}"
              f"  p99 {percentile(values, .99):.0f}  max {values[-1]:.0f}")
    kinds = collections.Counter(r["kind"] for r in rows)
    ranked = sorted(rows, key=lambda r: -r["instr"])
    top = ranked[: max(1, total // 100)]
    print(f"\n{total} keys; top 1% by instructions = {len(top)} keys (>= {top[-1]['instr']})")
    print(f"{'kind':12} {'all keys':>9} {'share':>6} {'top 1%':>7} {'share':>6} {'median instr':>13}")
    for kind, count in kinds.most_common():
        in_top = sum(r["kind"] == kind for r in top)
        med = sorted(r["instr"] for r in rows if r["kind"] == kind)[count // 2]
        print(f"{kind:12} {count:9} {100 * count / total:5.1f}% {in_top:7} "
              f"{100 * in_top / len(top):5.1f}% {med:13}")
    for label, test in (("letter not typed before in the case", lambda r: r["new_first"]),
                        ("10 letters or more", lambda r: int(r["letters"]) >= 10),
                        ("tree nodes >= 10000", lambda r: int(r["tree_nodes"]) >= 10000),
                        ("allocations >= 200", lambda r: int(r["allocations"]) >= 200)):
        a = sum(map(test, rows))
        t = sum(map(test, top))
        print(f"{label:42} all {100 * a / total:5.1f}%  top 1% {100 * t / len(top):5.1f}%")
    print("\ntop 10 keys: instructions, kind, letters, tree nodes, matcher calls, lattice nodes,"
          " allocations, letter new in the case, typed")
    for r in ranked[:10]:
        print(f"  {r['instr']:9} {r['kind']:11} {r['letters']:>3} {r['tree_nodes']:>6}"
              f" {r['matcher_calls']:>3} {r['lattice_nodes']:>5} {r['allocations']:>4}"
              f" {'yes' if r['new_first'] else 'no ':3} {r['typed']}")


if __name__ == "__main__":
    main(*sys.argv[1:3])
