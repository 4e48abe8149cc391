// Unique row ids: one process-wide sequence that visits every 32-bit value at
// most once, in an order that looks random, seeded from the tick count on
// first use. A record's "uid" is the decimal text of UniqueRandom().
#pragma once

#include <cstdint>

// A one-to-one mapping of the 32-bit integers onto themselves through the
// quadratic residues modulo the prime 4294967291.
uint32_t UniquePermute(uint32_t x);

// Restarts the sequence: the same arguments give the same sequence again.
void SeedUniqueRandom(uint32_t a, uint32_t b);

// The next value of the sequence; 2^32 distinct values before any repeats.
uint32_t NextUniqueRandom();

// A positive id, never one handed out before in this run. Seeds the sequence
// from the tick count on the first call of the process.
long UniqueRandom();
