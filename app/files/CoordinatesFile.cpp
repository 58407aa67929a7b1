#include "app/files/CoordinatesFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// A byte of this value ends the byte check as if the file ended there: the bytes after it are
// not checked.
constexpr int kCheckStopByte = 255;
// Longer numbers are none the program writes (at most 64 digits and an exponent); such a run
// counts as a number that does not convert, and no memory grows with it.
constexpr size_t kMaxNumberLength = 4096;

class StringSource {
public:
    explicit StringSource(const std::string& text) : text_(text) {}
    int Peek() const { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : EOF; }
    void Next() { ++pos_; }

private:
    const std::string& text_;
    size_t pos_ = 0;
};

class FileSource {
public:
    explicit FileSource(FILE* file) : file_(file) {}
    int Peek() const
    {
        const int c = getc(file_);
        if (c != EOF) {
            ungetc(c, file_);
        }
        return c;
    }
    void Next() { getc(file_); }

private:
    FILE* file_;
};

// NotFinite: a number beyond the range of a double (1e999), which strtod makes infinite; a
// view with such a bound has no pixels to draw.
enum class Scan { Converted, NoMatch, EndOfInput, NotFinite };

inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }
inline bool IsSign(int c) { return c == '-' || c == '+'; }

// Leading white space as scanf skips it; EndOfInput when the input ends first.
template <typename Source>
bool SkipSpace(Source& source)
{
    for (;;) {
        const int c = source.Peek();
        if (c == EOF) {
            return false;
        }
        if (!isspace(c)) {
            return true;
        }
        source.Next();
    }
}

// Takes the character when it may continue the token; keeps at most kMaxNumberLength of them.
template <typename Source>
void Take(Source& source, std::string& token, bool& tooLong)
{
    if (token.size() < kMaxNumberLength) {
        token.push_back(static_cast<char>(source.Peek()));
    } else {
        tooLong = true;
    }
    source.Next();
}

template <typename Source>
void TakeSign(Source& source, std::string& token, bool& tooLong)
{
    if (IsSign(source.Peek())) {
        Take(source, token, tooLong);
    }
}

// True when at least one digit was taken.
template <typename Source>
bool TakeDigits(Source& source, std::string& token, bool& tooLong)
{
    bool any = false;
    while (IsDigit(source.Peek())) {
        Take(source, token, tooLong);
        any = true;
    }
    return any;
}

// "%lg" on decimal input: the longest prefix of [sign] digits [. digits] [e [sign] digits] is
// consumed; it converts only if it is a whole number. What does not convert is consumed all
// the same, as scanf gives back only the character that stopped it.
template <typename Source>
Scan ScanDouble(Source& source, double& value)
{
    if (!SkipSpace(source)) {
        return Scan::EndOfInput;
    }
    std::string token;
    bool tooLong = false;
    TakeSign(source, token, tooLong);
    bool mantissaDigits = TakeDigits(source, token, tooLong);
    if (source.Peek() == '.') {
        Take(source, token, tooLong);
        mantissaDigits = TakeDigits(source, token, tooLong) || mantissaDigits;
    }
    if (!mantissaDigits) {
        return Scan::NoMatch;
    }
    const int e = source.Peek();
    if (e == 'e' || e == 'E') {
        Take(source, token, tooLong);
        TakeSign(source, token, tooLong);
        if (!TakeDigits(source, token, tooLong)) {
            return Scan::NoMatch;
        }
    }
    if (tooLong) {
        return Scan::NoMatch;
    }
    const double parsed = strtod(token.c_str(), nullptr);
    if (!std::isfinite(parsed)) {
        return Scan::NotFinite;
    }
    value = parsed;
    return Scan::Converted;
}

// "%d": [sign] digits. Out-of-range values saturate, as strtol does.
template <typename Source>
Scan ScanInt(Source& source, int& value)
{
    if (!SkipSpace(source)) {
        return Scan::EndOfInput;
    }
    std::string token;
    bool tooLong = false;
    TakeSign(source, token, tooLong);
    if (!TakeDigits(source, token, tooLong)) {
        return Scan::NoMatch;
    }
    long long parsed = tooLong ? (token[0] == '-' ? LLONG_MIN : LLONG_MAX) : strtoll(token.c_str(), nullptr, 10);
    if (parsed > INT_MAX) {
        parsed = INT_MAX;
    } else if (parsed < INT_MIN) {
        parsed = INT_MIN;
    }
    value = static_cast<int>(parsed);
    return Scan::Converted;
}

template <typename Source>
bool ParseFrom(Source& source, CoordinateRecord& record)
{
    const auto refused = [](Scan scan) { return scan == Scan::EndOfInput || scan == Scan::NotFinite; };
    double* const bounds[] = {&record.xMin, &record.xMax, &record.yMin, &record.yMax};
    for (double* bound : bounds) {
        if (refused(ScanDouble(source, *bound))) {
            return false;
        }
    }
    int flag = 0;
    if (ScanInt(source, flag) == Scan::EndOfInput) {
        return false;
    }
    record.julia = flag != 0;
    if (record.julia) {
        if (refused(ScanDouble(source, record.juliaRe)) || refused(ScanDouble(source, record.juliaIm))) {
            return false;
        }
    }
    if (ScanInt(source, record.formula) == Scan::EndOfInput) {
        return false;
    }
    // Finite bounds can still be too far apart for a double: the spans, and every pixel
    // step after them, would be infinite.
    return std::isfinite(record.xMax - record.xMin) && std::isfinite(record.yMax - record.yMin);
}

}  // namespace

std::string FormatCoordinates(const CoordinateRecord& record)
{
    // "%.64G" of a double is at most 64 digits, a sign, a point and a 5-character exponent.
    char text[512];
    int length = snprintf(text, sizeof(text), "%.64G %.64G %.64G %.64G ", record.xMin, record.xMax,
                          record.yMin, record.yMax);
    if (record.julia) {
        length += snprintf(text + length, sizeof(text) - length, "1 %.64G %.64G", record.juliaRe,
                           record.juliaIm);
    } else {
        length += snprintf(text + length, sizeof(text) - length, "0");
    }
    // A formula of one digit is the character '0' + formula; any other id a file brought in
    // is written in full, so that the file loads back to the same id.
    snprintf(text + length, sizeof(text) - length, " %d", record.formula);
    // "%G" writes a '+' in the exponent of numbers from 1E64 up, which the byte check refuses:
    // a view zoomed out that far would be saved to a file that cannot be loaded. The exponent
    // reads the same without it.
    std::string line = text;
    line.erase(std::remove(line.begin(), line.end(), '+'), line.end());
    return line;
}

bool IsCoordinateByte(unsigned char byte)
{
    return byte == ' ' || byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') || byte == 'E' ||
           byte == 'e';
}

bool CoordinateBytesValid(const std::string& bytes)
{
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == kCheckStopByte) {
            return true;
        }
        if (!IsCoordinateByte(byte)) {
            return false;
        }
    }
    return true;
}

bool CoordinateBytesValid(FILE* file)
{
    for (int c = fgetc(file); c != EOF && c != kCheckStopByte; c = fgetc(file)) {
        if (!IsCoordinateByte(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool ParseCoordinates(const std::string& text, CoordinateRecord& record)
{
    StringSource source(text);
    return ParseFrom(source, record);
}

bool ParseCoordinates(FILE* file, CoordinateRecord& record)
{
    FileSource source(file);
    return ParseFrom(source, record);
}
