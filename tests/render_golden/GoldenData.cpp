#include "GoldenData.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string& Dir()
{
    static std::string dir = ZORB_GOLDEN_DIR;
    return dir;
}

} // namespace

const std::string& GoldenDir()
{
    return Dir();
}

void SetGoldenDir(const std::string& dir)
{
    Dir() = dir;
}

bool ReadGoldenFile(const std::string& fileName, GoldenTable* table, std::string* error)
{
    const std::string path = GoldenDir() + "/" + fileName;
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        std::vector<std::string>& values = (*table)[name];
        values.clear();
        for (std::string value; fields >> value;) {
            values.push_back(value);
        }
    }
    return true;
}

bool WriteGoldenFile(const std::string& fileName, const GoldenEntries& entries, std::string* error)
{
    const std::string path = GoldenDir() + "/" + fileName;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    out << "# Written by an x64 build with --write-golden; see tests/render_golden/write-golden.sh.\n";
    for (const GoldenEntry& entry : entries) {
        out << entry.first;
        for (const std::string& value : entry.second) {
            out << ' ' << value;
        }
        out << '\n';
    }
    out.close();
    if (!out) {
        *error = "cannot finish " + path;
        return false;
    }
    return true;
}

namespace {

// The value's bytes as hex digits, most significant first (x86 keeps them least first).
template <class T>
std::string HexOfBytes(const T& value)
{
    static const char digits[] = "0123456789abcdef";
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    std::string text;
    for (size_t i = sizeof value; i-- > 0;) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

} // namespace

std::string HexBits(double value)
{
    return HexOfBytes(value);
}

std::string HexBits(float value)
{
    return HexOfBytes(value);
}

GoldenComparison CompareWithGolden(const GoldenTable& golden, const GoldenEntries& actual)
{
    constexpr int kReported = 5;
    GoldenComparison result;
    std::ostringstream report;
    int reported = 0;
    for (const GoldenEntry& entry : actual) {
        const auto found = golden.find(entry.first);
        if (found == golden.end()) {
            result.compared += entry.second.size();
            result.differing += entry.second.size();
            report << "  " << entry.first << ": no golden data\n";
            continue;
        }
        const std::vector<std::string>& expected = found->second;
        if (expected.size() != entry.second.size()) {
            result.compared += entry.second.size();
            result.differing += entry.second.size();
            report << "  " << entry.first << ": " << expected.size() << " golden values, " << entry.second.size()
                   << " computed\n";
            continue;
        }
        size_t differing = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            ++result.compared;
            if (expected[i] == entry.second[i]) {
                continue;
            }
            ++differing;
            if (reported < kReported) {
                ++reported;
                report << "  " << entry.first << " value " << i << ": expected " << expected[i] << ", got "
                       << entry.second[i] << "\n";
            }
        }
        if (differing != 0) {
            report << "  " << entry.first << ": " << differing << " of " << expected.size() << " differ\n";
        }
        result.differing += differing;
    }
    result.report = report.str();
    return result;
}
