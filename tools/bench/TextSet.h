// The data the compression figures are measured on: real text (the
// project's own sources and READMEs, text-set.txt beside the benchmarks)
// and a mixed set of files such as people copy: text, data already
// deflated (as in archives and pictures) and a program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

typedef std::vector<uint8_t> Bytes;
typedef std::vector<Bytes> Files;

// The whole file; exits with a message when it cannot be read.
Bytes readWhole(const char* path);
// The bytes again and again, cut at size.
Bytes repeated(const Bytes& bytes, size_t size);
// Deflated at the best level in pieces of 1 MiB, as archives hold data:
// what no further deflate shrinks.
Bytes deflatedPieces(const Bytes& bytes);
// Text, deflated data and the first MiB of the program, taking turns.
Files mixedSet(const Bytes& text, const Bytes& program);
// The sum of the files' sizes.
uint64_t totalSize(const Files& files);

} // namespace bench
