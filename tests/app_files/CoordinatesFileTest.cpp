// The co-ordinates file's text: exact format, byte check and the scanf-like reading.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/files/CoordinatesFile.h"
#include "app/view/ViewBounds.h"
#include "render/View.h"

namespace {

const double kDefaultYMax = static_cast<double>(1.3f);

CoordinateRecord DefaultRecord()
{
    CoordinateRecord record;
    record.xMin = -2.0;
    record.xMax = 1.0;
    record.yMin = -kDefaultYMax;
    record.yMax = kDefaultYMax;
    record.formula = 2;
    return record;
}

// Fields that a parse leaves alone keep these, so a test sees what was read.
CoordinateRecord Sentinel()
{
    CoordinateRecord record;
    record.xMin = record.xMax = record.yMin = record.yMax = 99.0;
    record.julia = true;
    record.juliaRe = record.juliaIm = 77.0;
    record.formula = 42;
    return record;
}

void ExpectSameRecord(const CoordinateRecord& expected, const CoordinateRecord& actual)
{
    EXPECT_EQ(expected.xMin, actual.xMin);
    EXPECT_EQ(expected.xMax, actual.xMax);
    EXPECT_EQ(expected.yMin, actual.yMin);
    EXPECT_EQ(expected.yMax, actual.yMax);
    EXPECT_EQ(expected.julia, actual.julia);
    if (expected.julia) {
        EXPECT_EQ(expected.juliaRe, actual.juliaRe);
        EXPECT_EQ(expected.juliaIm, actual.juliaIm);
    }
    EXPECT_EQ(expected.formula, actual.formula);
}

TEST(CoordinatesFormat, DefaultViewIsTheKnownLine)
{
    EXPECT_EQ("-2 1 -1.2999999523162841796875 1.2999999523162841796875 0 2", FormatCoordinates(DefaultRecord()));
}

TEST(CoordinatesFormat, JuliaFileHoldsEightNumbers)
{
    CoordinateRecord record = DefaultRecord();
    record.julia = true;
    record.juliaRe = -0.75;
    record.juliaIm = 0.1;
    record.formula = 3;
    EXPECT_EQ("-2 1 -1.2999999523162841796875 1.2999999523162841796875 1 -0.75 "
              "0.1000000000000000055511151231257827021181583404541015625 3",
              FormatCoordinates(record));
}

TEST(CoordinatesFormat, RoundTripIsExact)
{
    CoordinateRecord deep;
    deep.xMin = -0.743643887037158704752191506114774;
    deep.xMax = deep.xMin + 3.0e-14;
    deep.yMin = 0.131825904205311970493132056385139;
    deep.yMax = deep.yMin + 2.6e-14;
    deep.formula = 4;
    CoordinateRecord extremes = deep;
    extremes.xMin = -1.0e-300;
    extremes.xMax = 4.9406564584124654e-324;  // the smallest denormal
    extremes.yMin = -1.7976931348623157e308;  // written as ...E308
    extremes.yMax = 123456789.125;
    extremes.julia = true;
    extremes.juliaRe = 1.0 / 3.0;
    extremes.juliaIm = -2.5e-17;
    extremes.formula = 5;

    // Formula ids outside 1..5 come in from files as they are, and must go out so that they
    // load again: not as the characters after '9' or before '0'.
    std::vector<CoordinateRecord> records = {DefaultRecord(), deep, extremes};
    for (int formula : {0, 9, 10, 47, -3, INT_MAX, INT_MIN}) {
        records.push_back(DefaultRecord());
        records.back().formula = formula;
    }
    for (const CoordinateRecord& record : records) {
        const std::string text = FormatCoordinates(record);
        SCOPED_TRACE(text);
        // Large numbers keep their exponent, without the '+' a file may not hold.
        EXPECT_EQ(std::string::npos, text.find('+'));
        EXPECT_TRUE(CoordinateBytesValid(text));
        CoordinateRecord read = Sentinel();
        ASSERT_TRUE(ParseCoordinates(text, read));
        ExpectSameRecord(record, read);
    }
}

TEST(CoordinatesBytes, OnlyTheNumberAlphabetIsAllowed)
{
    const std::string line = "-2 1 -1.3 1.3 0 2";
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {line, true},
        {"1E-5 2e3 -3.25 4 0 2", true},
        {line + "\n", false},
        {line + "\r\n", false},
        {"\r" + line, false},
        {"-2 1 -1.3 1.3e+2 0 2", false},
        {"-2 1\t-1.3 1.3 0 2", false},
        {"-2 1 -1.3 1.3 0 x", false},
        {line + std::string(1, '\0'), false},
        {std::string("\x80") + line, false},
        // A byte of 255 ends the check: nothing after it is looked at.
        {line + "\xff\n+garbage", true},
        {std::string("\xff\t"), true},
        {"+\xff", false},
        {"", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.valid, CoordinateBytesValid(c.bytes)) << '"' << c.bytes << '"';
    }
}

TEST(CoordinatesParse, EndOfInputBeforeANumberIsAnInvalidFile)
{
    const char* cutShort[] = {
        "",
        "-2 1 -1.3",
        "-2 1 -1.3 1.3",          // the Julia flag is missing
        "-2 1 -1.3 1.3 ",
        "-2 1 -1.3 1.3 1 0.25",   // Julia flag set, imaginary part missing
        "-2 1 -1.3 1.3 0",        // formula missing
        "-2 1 -1.3 1.3 1 0.25 0.5",
    };
    for (const char* text : cutShort) {
        CoordinateRecord record = Sentinel();
        EXPECT_FALSE(ParseCoordinates(text, record)) << '"' << text << '"';
    }
}

TEST(CoordinatesParse, ReadsLikeScanf)
{
    struct Case {
        const char* text;
        CoordinateRecord expected;  // starting from Sentinel()
    };
    auto with = [](double xMin, double xMax, double yMin, double yMax, bool julia, double re, double im, int formula) {
        CoordinateRecord r;
        r.xMin = xMin, r.xMax = xMax, r.yMin = yMin, r.yMax = yMax;
        r.julia = julia, r.juliaRe = re, r.juliaIm = im, r.formula = formula;
        return r;
    };
    const Case cases[] = {
        {"-2 1 -1.3 1.3 0 2", with(-2, 1, -1.3, 1.3, false, 0, 0, 2)},
        {"  -2   1 -1.3 1.3 0 2   ", with(-2, 1, -1.3, 1.3, false, 0, 0, 2)},
        {"1E-3 2e2 -.5 5. 1 -1e1 2E0 3", with(1e-3, 2e2, -0.5, 5.0, true, -10, 2, 3)},
        // Any non-zero flag is Julia mode; the formula is taken as read.
        {"0 1 0 1 -7 0.5 0.25 9", with(0, 1, 0, 1, true, 0.5, 0.25, 9)},
        // A number that does not convert keeps its field; reading goes on after it.
        {"-2 . -1 1 0 2", with(-2, 99, -1, 1, false, 0, 0, 2)},
        {"-2 1e -1 1 0 2", with(-2, 99, -1, 1, false, 0, 0, 2)},
        // Numbers may run together where the next one starts with a sign.
        {"-2-1 -1 1 0 5", with(-2, -1, -1, 1, false, 0, 0, 5)},
        // "%d" stops at the point: the formula read then meets ".5" and keeps its value.
        {"-2 1 -1 1 0.5", with(-2, 1, -1, 1, false, 0, 0, 42)},
        // A character nothing can start with is never passed: no end of input is seen.
        {"e", with(99, 99, 99, 99, false, 0, 0, 42)},
        // So is the stop byte of the byte check.
        {"-2 1 \xff -1 1 0 2", with(-2, 1, 99, 99, false, 0, 0, 42)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CoordinateRecord record = Sentinel();
        EXPECT_TRUE(ParseCoordinates(c.text, record));
        ExpectSameRecord(c.expected, record);
    }
}

// Every text is refused, or reads to bounds and a Julia constant that are finite, with finite
// spans: a view the program can draw, or one whose span is nothing, which the loader refuses.
TEST(CoordinatesParse, RandomTextIsRefusedOrReadsToADrawableView)
{
    const char alphabet[] = " -.0123456789Ee";
    std::mt19937 random(20241117);
    std::uniform_int_distribution<int> length(0, 80);
    std::uniform_int_distribution<int> pick(0, sizeof(alphabet) - 2);
    std::uniform_int_distribution<int> anyByte(0, 255);
    int read = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            text.push_back(round % 4 == 0 ? static_cast<char>(anyByte(random)) : alphabet[pick(random)]);
        }
        CoordinateRecord record = DefaultRecord();
        if (!CoordinateBytesValid(text) || !ParseCoordinates(text, record)) {
            continue;
        }
        ++read;
        View view{};
        view.xMin = record.xMin;
        view.xMax = record.xMax;
        view.yMin = record.yMin;
        view.yMax = record.yMax;
        view = WithOrderedBounds(view);
        const bool noSpan = view.xMin == view.xMax || view.yMin == view.yMax;
        EXPECT_TRUE(IsDrawableView(view) || noSpan) << '"' << text << '"';
        EXPECT_TRUE(std::isfinite(record.juliaRe) && std::isfinite(record.juliaIm)) << '"' << text << '"';
    }
    EXPECT_GT(read, 100) << "the texts reach the reader's every path, not only its refusals";
}

// Numbers are read whole, however long: as the double they stand for, or refused as 1e999 is.
TEST(CoordinatesParse, LongNumbersAreReadWhole)
{
    const std::string zeros(5000, '0');
    // 2^-1075, half the smallest denormal, written out exactly: a tie, which rounds to 0. Any
    // digit that is not zero after it, however far back, makes it round up.
    const std::string halfDenormal =
        "2.4703282292062327208828439643411068618252990130716238221279284125033775363510437593264991818081799618989828"
        "2347722858865463328355177969898199387398005390939063150356595155702263922908583924491051844359318028499365"
        "3615250031937045767824921936562366986365848075700158576926990370631192827955855133292783433840935197801553"
        "1246597263579574622766465272827220056374006485499977096599470454020828166226237857393450736339007967761930"
        "5775067401763246736009689513405355374585166611342237666786041621596804619144672918403005300575308490487653"
        "9171138659164623952491262365388187963623937328042389101867234849766823508986338858792562830275599565752445"
        "5507255189313690836254779186948667994968324049705821028513185451396213837722826145437693412532098591327667"
        "236328125e-324";
    struct Case {
        const char* name;
        std::string number;
        double value;
    };
    const Case cases[] = {
        {"5000 leading zeros", zeros + "1.5", 1.5},
        {"5000 zeros after the point", "-0." + zeros + "25e5002", -25.0},
        {"5000 trailing zeros", "3" + zeros + "e-5000", 3.0},
        {"5000-digit exponent", "1e" + zeros + "2", 100.0},
        {"5000 sevens after the point", "0." + std::string(5000, '7'), 7.0 / 9.0},
        {"a tie between doubles", halfDenormal, 0.0},
        {"a tie broken 5000 digits on", halfDenormal.substr(0, halfDenormal.size() - 5) + zeros + "1e-324",
         4.9406564584124654e-324},
        {"5000 zeros only", "-" + zeros, -0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoordinateRecord record = Sentinel();
        ASSERT_TRUE(ParseCoordinates(c.number + " 1 -1 1 0 2", record));
        EXPECT_EQ(c.value, record.xMin);
        EXPECT_EQ(std::signbit(c.value), std::signbit(record.xMin));
        EXPECT_EQ(1.0, record.xMax) << "reading goes on after the number";
        EXPECT_EQ(2, record.formula);
    }

    const std::string beyond[] = {
        "1" + zeros,                   // 1e5000
        std::string(100000, '7'),
        "-0." + zeros + "1e6000",      // the exponent outweighs the zeros
        "1e" + zeros + "999",
    };
    for (const std::string& number : beyond) {
        CoordinateRecord record = Sentinel();
        EXPECT_FALSE(ParseCoordinates("-2 " + number + " -1 1 0 2", record)) << number.substr(0, 40);
        EXPECT_FALSE(ParseCoordinates("-2 1 -1 1 1 0 " + number + " 2", record)) << "as a Julia constant";
    }

    // A formula id with thousands of digits is its value, or saturates as "%d" does.
    CoordinateRecord record = Sentinel();
    ASSERT_TRUE(ParseCoordinates("-2 1 -1 1 0 " + zeros + "3", record));
    EXPECT_EQ(3, record.formula);
    ASSERT_TRUE(ParseCoordinates("-2 1 -1 1 0 -9" + zeros, record));
    EXPECT_EQ(INT_MIN, record.formula);
    ASSERT_TRUE(ParseCoordinates("-2 1 -1 1 " + zeros + "1 0.5 0.25 4", record));
    EXPECT_TRUE(record.julia);
    EXPECT_EQ(0.25, record.juliaIm);
}

}  // namespace
