#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// Golden data: results of the x64 builds, stored bit for bit, that every build on every arch
// must reproduce. A file holds one entry per line, a name followed by its values; lines that
// start with '#' are comments.
using GoldenEntry = std::pair<std::string, std::vector<std::string>>;
using GoldenEntries = std::vector<GoldenEntry>;
using GoldenTable = std::map<std::string, std::vector<std::string>>;

// The folder of the data files: the source folder's data/ as seen from the test's working
// folder, or the one given with --golden-dir.
const std::string& GoldenDir();
void SetGoldenDir(const std::string& dir);

// False with a message when the file is missing or unreadable.
bool ReadGoldenFile(const std::string& fileName, GoldenTable* table, std::string* error);
bool WriteGoldenFile(const std::string& fileName, const GoldenEntries& entries, std::string* error);

// Exact bit patterns, as fixed-width hex.
std::string HexBits(double value);
std::string HexBits(float value);

// Entries are compared value by value; the result names how many values differ and the first
// few of them, so that one wrong pixel reads differently from a wholly wrong picture.
struct GoldenComparison {
    size_t compared = 0;
    size_t differing = 0;
    std::string report;
};
GoldenComparison CompareWithGolden(const GoldenTable& golden, const GoldenEntries& actual);

// Writers of each golden file, for --write-golden. Each writes the files the build holds data
// for and returns false with a message on failure.
bool WriteKernelGolden(std::string* error);
bool WriteViewGolden(std::string* error);
