#include "app/files/CoordinatesFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

// A byte of this value ends the byte check as if the file ended there: the bytes after it are
// not checked.
constexpr int kCheckStopByte = 255;

// Whether a decimal rounds up or down to a double never depends on more than its first 767
// significant digits; past them only whether any digit is not zero counts. So a number is read
// whole, however long, and no memory grows with it.
constexpr size_t kKeptDigits = 800;
// An exponent's digits are held at a value no count of digits in a file comes near, so the sum
// with the point's place stays exact and cannot overflow.
constexpr int64_t kExponentHeld = 1000000000000000;  // 10^15
// Past this a decimal exponent makes any number of kKeptDigits digits infinite or zero; the
// text for strtod says no more.
constexpr int64_t kTextExponentLimit = 100000;

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

// True (and the sign taken) when the next character is '-'.
template <typename Source>
bool TakeSign(Source& source)
{
    const int c = source.Peek();
    if (!IsSign(c)) {
        return false;
    }
    source.Next();
    return c == '-';
}

// A decimal number as 0.digits x 10^exponent: its significant digits up to kKeptDigits, and
// whether a digit dropped after them was not zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    bool droppedNonZero = false;
    int64_t exponent = 0;

    // One mantissa digit; beforePoint when it stands before the decimal point.
    void Add(int c, bool beforePoint)
    {
        if (digits.empty() && c == '0') {
            if (!beforePoint) {
                --exponent;  // a zero between the point and the first significant digit
            }
            return;
        }
        if (digits.size() < kKeptDigits) {
            digits.push_back(static_cast<char>(c));
        } else if (c != '0') {
            droppedNonZero = true;
        }
        if (beforePoint) {
            ++exponent;
        }
    }

    // The same value in a text of bounded length for strtod. A dropped digit that was not zero
    // becomes one more 1, which keeps the value above the kept digits and below the next
    // number they can write, so it rounds as the whole number would.
    std::string Text() const
    {
        std::string text = negative ? "-0." : "0.";
        if (digits.empty()) {
            return text + "0";
        }
        text += digits;
        if (droppedNonZero) {
            text += '1';
        }
        const int64_t e = std::max(-kTextExponentLimit, std::min(exponent, kTextExponentLimit));
        return text + "e" + std::to_string(e);
    }
};

// The digits of an exponent, held at kExponentHeld. True when there was at least one.
template <typename Source>
bool TakeExponentDigits(Source& source, int64_t& value)
{
    bool any = false;
    for (int c = source.Peek(); IsDigit(c); c = source.Peek()) {
        value = std::min(value * 10 + (c - '0'), kExponentHeld);
        any = true;
        source.Next();
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
    Decimal number;
    number.negative = TakeSign(source);
    bool mantissaDigits = false;
    for (int c = source.Peek(); IsDigit(c); c = source.Peek()) {
        number.Add(c, true);
        mantissaDigits = true;
        source.Next();
    }
    if (source.Peek() == '.') {
        source.Next();
        for (int c = source.Peek(); IsDigit(c); c = source.Peek()) {
            number.Add(c, false);
            mantissaDigits = true;
            source.Next();
        }
    }
    if (!mantissaDigits) {
        return Scan::NoMatch;
    }
    const int e = source.Peek();
    if (e == 'e' || e == 'E') {
        source.Next();
        const bool negativeExponent = TakeSign(source);
        int64_t exponent = 0;
        if (!TakeExponentDigits(source, exponent)) {
            return Scan::NoMatch;
        }
        number.exponent += negativeExponent ? -exponent : exponent;
    }
    const double parsed = strtod(number.Text().c_str(), nullptr);
    if (!std::isfinite(parsed)) {
        return Scan::NotFinite;
    }
    value = parsed;
    return Scan::Converted;
}

// "%d": [sign] digits, however many. Out-of-range values saturate, as strtol does.
template <typename Source>
Scan ScanInt(Source& source, int& value)
{
    if (!SkipSpace(source)) {
        return Scan::EndOfInput;
    }
    const bool negative = TakeSign(source);
    // Held just past the range of an int once it leaves it, so that it cannot overflow.
    constexpr int64_t kHeld = static_cast<int64_t>(INT_MAX) + 2;
    int64_t magnitude = 0;
    bool any = false;
    for (int c = source.Peek(); IsDigit(c); c = source.Peek()) {
        magnitude = std::min(magnitude * 10 + (c - '0'), kHeld);
        any = true;
        source.Next();
    }
    if (!any) {
        return Scan::NoMatch;
    }
    const int64_t parsed = negative ? -magnitude : magnitude;
    value = static_cast<int>(std::max<int64_t>(INT_MIN, std::min<int64_t>(parsed, INT_MAX)));
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
