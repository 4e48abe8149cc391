#!/usr/bin/env python3
"""Writes the benchmark's instances into bench/data/ (same seed, same files).

Two families, in the common cutting-stock text format (number of part kinds,
bar length, then one "length quantity" line per kind):
  u<N>.txt  N parts of uniform integer lengths 20..100 on bars of 150;
  t<N>.txt  N parts made of N/3 triplets that each fill a bar of 1000 exactly,
            so the lower bound N/3 is also the optimum.
"""
import os
import random
from collections import Counter

SEED = 20261210
HERE = os.path.dirname(os.path.abspath(__file__))


def write(path, bar, lengths):
    kinds = Counter(lengths)
    with open(path, "w", newline="\n") as f:
        f.write("%d\n%d\n" % (len(kinds), bar))
        for length in sorted(kinds, reverse=True):
            f.write("%d %d\n" % (length, kinds[length]))


def uniform(rng, n):
    return [rng.randint(20, 100) for _ in range(n)]


def triplets(rng, n):
    lengths = []
    for _ in range(n // 3):
        while True:
            a = rng.randint(380, 490)
            b = rng.randint(250, 1000 - a - 250)
            c = 1000 - a - b
            if 250 <= c < 500:
                break
        lengths += [a, b, c]
    return lengths


def main():
    rng = random.Random(SEED)
    out = os.path.join(HERE, "data")
    os.makedirs(out, exist_ok=True)
    for n in (120, 250, 500):
        write(os.path.join(out, "u%d.txt" % n), 150, uniform(rng, n))
    for n in (60, 120, 249):
        write(os.path.join(out, "t%d.txt" % n), 1000, triplets(rng, n))


if __name__ == "__main__":
    main()
