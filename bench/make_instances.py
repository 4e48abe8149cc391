#!/usr/bin/env python3
"""Writes the benchmark's instances into bench/data/ (same seeds, same files).

In the common cutting-stock text format (number of part kinds, bar length,
then one "length quantity" line per kind):
  data/u<N>.txt         N parts of uniform integer lengths 20..100 on bars of 150;
  data/t<N>.txt         N parts made of N/3 triplets that each fill a bar of 1000
                        exactly, so the lower bound N/3 is also the optimum;
  data/scale/t<N>.txt   more triplet orders, to see how time grows with the parts;
  data/scale/m<N>_<K>.txt  N parts of K different lengths 150..2500 on bars of 6000;
  data/hard/w<NN>.txt   200 parts of 20 % to 35 % of a bar of 100000, each a
                        different length or nearly: 3 to 5 parts per bar;
  data/hard/s<NN>.txt   160 to 200 parts of 2 % to 80 % of a bar of 1000,
                        most of them long, many lengths.
In the form with several stock lengths ("stock M KERF TRIM", M lines of
"length quantity cost" with quantity 0 for unlimited, the number of part kinds
and one "length quantity" line per kind):
  data/check/c<NN>.txt  mixed stock, limited stock, kerf, trim and costs, to
                        check that a change leaves the seeded results as they were;
                        c13 to c16 with lengths and kerfs that have decimals.
"""
import os
import random
from collections import Counter

SEED = 20261210
HERE = os.path.dirname(os.path.abspath(__file__))


def write(path, bar, lengths):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    kinds = Counter(lengths)
    with open(path, "w", newline="\n") as f:
        f.write("%d\n%d\n" % (len(kinds), bar))
        for length in sorted(kinds, reverse=True):
            f.write("%d %d\n" % (length, kinds[length]))


def write_stock(path, kerf, trim, stock, lengths):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    kinds = Counter(lengths)
    with open(path, "w", newline="\n") as f:
        f.write("stock %d %g %g\n" % (len(stock), kerf, trim))
        for length, quantity, cost in stock:
            f.write("%d %d %g\n" % (length, quantity, cost))
        f.write("%d\n" % len(kinds))
        for length in sorted(kinds, reverse=True):
            f.write("%g %d\n" % (length, kinds[length]))


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


def many_lengths(rng, n, k):
    kinds = rng.sample(range(150, 2501), k)
    lengths = list(kinds)
    while len(lengths) < n:
        lengths.append(rng.choice(kinds))
    return lengths


def wide(rng, n):
    return [rng.randint(20000, 35000) for _ in range(n)]


def spread(rng, n):
    lengths = []
    for _ in range(n):
        if rng.random() < 0.7:
            lengths.append(rng.randint(250, 800))
        else:
            lengths.append(rng.randint(20, 250))
    return lengths


def check(rng, i):
    kerf = rng.choice([0, 3, 4, 5])
    trim = rng.choice([0, 10, 20])
    bars = sorted(rng.sample([2500, 3000, 4000, 5000, 6000, 6500, 7000], rng.randint(1, 3)), reverse=True)
    stock = []
    for bar in bars:
        quantity = 0 if rng.random() < 0.5 else rng.randint(3, 30)
        stock.append((bar, quantity, round(rng.uniform(0.5, 2.0) * bar / 1000, 2)))
    n = rng.randint(20, 150)
    k = rng.randint(5, 60)
    kinds = rng.sample(range(120, min(bars) - 50), k)
    lengths = list(kinds)
    while len(lengths) < n:
        lengths.append(rng.choice(kinds))
    return kerf, trim, stock, lengths


def main():
    rng = random.Random(SEED)
    out = os.path.join(HERE, "data")
    os.makedirs(out, exist_ok=True)
    for n in (120, 250, 500):
        write(os.path.join(out, "u%d.txt" % n), 150, uniform(rng, n))
    for n in (60, 120, 249):
        write(os.path.join(out, "t%d.txt" % n), 1000, triplets(rng, n))

    rng = random.Random(SEED + 1)
    for n in (501, 1002):
        write(os.path.join(out, "scale", "t%d.txt" % n), 1000, triplets(rng, n))
    for k in (40, 81, 500):
        write(os.path.join(out, "scale", "m10000_%d.txt" % k), 6000, many_lengths(rng, 10000, k))

    rng = random.Random(SEED + 2)
    for i in range(1, 11):
        write(os.path.join(out, "hard", "w%02d.txt" % i), 100000, wide(rng, 200))
    for i in range(1, 29):
        write(os.path.join(out, "hard", "s%02d.txt" % i), 1000, spread(rng, rng.randint(160, 200)))

    rng = random.Random(SEED + 3)
    for i in range(1, 13):
        kerf, trim, stock, lengths = check(rng, i)
        write_stock(os.path.join(out, "check", "c%02d.txt" % i), kerf, trim, stock, lengths)

    # Lengths and kerfs with decimals, whose sums depend on their order.
    rng = random.Random(SEED + 4)
    for i in range(13, 17):
        kerf, trim, stock, lengths = check(rng, i)
        lengths = [length + rng.choice([0, 0.1, 0.25, 0.3, 0.7]) for length in lengths]
        write_stock(os.path.join(out, "check", "c%02d.txt" % i), kerf + 0.2 * (i % 2), trim, stock, lengths)


if __name__ == "__main__":
    main()
