#include "Updater/Updater/CommandLine.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string OwnModulePath()
{
    char buffer[1000] = {};
    GetModuleFileNameA(NULL, buffer, sizeof buffer);
    return buffer;
}

struct ValueCase
{
    std::string line;
    std::string key;
    std::string expected;
};

TEST(CommandLineTest, ValuesFollowTheWordGrammar)
{
    const ValueCase cases[] = {
        {"a=b=c", "a", "b=c"},
        {"=x", "", "x"},
        {"Key=", "key", ""},
        {"Mode=1 mode=2 MODE=3", "mode", "3"},
        {"-x=1", "-x", "1"},
        {"A\tB=1", "a\tb", "1"},
        {"k=v\r\n", "k", "v\r\n"},
        {"   k=v   ", "k", "v"},
        {"k=MiXeD", "K", "MiXeD"},
        {"\xC4=upper", "\xC4", "upper"},
        {"\xC4=upper", "\xE4", ""},
        {"\"C:\\My Files\\a=b.exe\"", "files\\a", "b.exe\""},
        {"missing=no", "other", ""},
        {"", "", ""},
    };
    for (const ValueCase& c : cases) {
        CommandLine parsed(c.line);
        EXPECT_EQ(parsed.GetValue(c.key), c.expected) << "line [" << c.line << "] key [" << c.key << "]";
    }
}

struct FlagCase
{
    std::string line;
    std::string name;
    bool expected;
};

TEST(CommandLineTest, FlagsAreDashWordsInAnyCase)
{
    const FlagCase cases[] = {
        {"-Flag", "FLAG", true},
        {"-Flag", "flag", true},
        {"prog.exe -FromUpdater", "fromupdater", true},
        {"-", "", true},
        {"-x=1", "x", false},
        {"-x=1", "-x", false},
        {"Flag", "flag", false},
        {"--double", "-double", true},
        {"a  b   -c", "c", true},
        {"", "", false},
    };
    for (const FlagCase& c : cases) {
        CommandLine parsed(c.line);
        EXPECT_EQ(parsed.HasFlag(c.name), c.expected) << "line [" << c.line << "] flag [" << c.name << "]";
    }
}

TEST(CommandLineTest, WordsOfArgvIncludeTheFirst)
{
    char arg0[] = "C:\\odd=dir\\prog.exe";
    char arg1[] = "-Go";
    char arg2[] = "Key=Value";
    char* argv[] = {arg0, arg1, arg2};
    CommandLine parsed(3, argv);
    EXPECT_EQ(parsed.GetValue("c:\\odd"), "dir\\prog.exe");
    EXPECT_TRUE(parsed.HasFlag("GO"));
    EXPECT_EQ(parsed.GetValue("KEY"), "Value");
}

TEST(CommandLineTest, FolderAndFileComeFromTheModuleNotTheText)
{
    std::string module = OwnModulePath();
    size_t separator = module.find_last_of("/\\");
    ASSERT_NE(separator, std::string::npos);
    CommandLine parsed("C:\\elsewhere\\other.exe Filename=x.exe");
    EXPECT_EQ(parsed.GetDirectory(), module.substr(0, separator));
    EXPECT_EQ(parsed.GetFileName(), module.substr(separator + 1));
}

TEST(CommandLineTest, GetIntConvertsOrFallsBack)
{
    CommandLine parsed("n=42 e= lead=5a neg=-1 word=abc big=99999999999");
    EXPECT_EQ(parsed.GetInt("N", 7), 42);
    EXPECT_EQ(parsed.GetInt("e", 7), 7);
    EXPECT_EQ(parsed.GetInt("missing", 7), 7);
    EXPECT_EQ(parsed.GetInt("lead", 7), 5);
    EXPECT_EQ(parsed.GetInt("neg", 7), -1);
    EXPECT_THROW(parsed.GetInt("word", 7), std::invalid_argument);
    EXPECT_THROW(parsed.GetInt("big", 7), std::out_of_range);
}

TEST(CommandLineTest, ToLowerTouchesOnlyAsciiCapitals)
{
    EXPECT_EQ(CommandLine::ToLower("AbZ@[`{\xC4\xD6"), "abz@[`{\xC4\xD6");
}

struct SplitCase
{
    std::string text;
    char delimiter;
    std::vector<std::string> expected;
};

TEST(SplitStringTest, EveryDelimiterEndsAPiece)
{
    const SplitCase cases[] = {
        {"a,,b", ',', {"a", "", "b"}},
        {",a", ',', {"", "a"}},
        {"a,", ',', {"a"}},
        {",", ',', {""}},
        {"", ',', {}},
        {"1.5.3", '.', {"1", "5", "3"}},
        {std::string("a\0b", 3), ',', {std::string("a\0b", 3)}},
        {std::string("a\0b", 3), '\0', {"a", "b"}},
        {"x  y", ' ', {"x", "", "y"}},
    };
    for (const SplitCase& c : cases) {
        std::vector<std::string> out;
        SplitString(c.text, c.delimiter, out);
        EXPECT_EQ(out, c.expected) << "text [" << c.text << "]";
    }
}

TEST(SplitStringTest, AppendsBehindWhatIsThere)
{
    std::vector<std::string> out = {"kept"};
    SplitString("a,b", ',', out);
    EXPECT_EQ(out, (std::vector<std::string>{"kept", "a", "b"}));
}

struct VersionCase
{
    std::string text;
    int count;
    int major, minor, patch;  // -99: not written
};

TEST(ParseVersionTest, ConvertsUpToThreePieces)
{
    const VersionCase cases[] = {
        {"1.5", 2, 1, 5, -99},
        {"1.5.3.9", 3, 1, 5, 3},
        {"", 0, -99, -99, -99},
        {"2", 1, 2, -99, -99},
        {"5a.7", 2, 5, 7, -99},
        {" 7.-1", 2, 7, -1, -99},
        {"1.5a", 2, 1, 5, -99},
    };
    for (const VersionCase& c : cases) {
        int major = -99, minor = -99, patch = -99;
        EXPECT_EQ(ParseVersion(c.text, &major, &minor, &patch), c.count) << c.text;
        EXPECT_EQ(major, c.major) << c.text;
        EXPECT_EQ(minor, c.minor) << c.text;
        EXPECT_EQ(patch, c.patch) << c.text;
    }
}

TEST(ParseVersionTest, OnePointerForMinorAndPatchKeepsTheLater)
{
    int major = 0, scratch = 0;
    EXPECT_EQ(ParseVersion("1.2.3", &major, &scratch, &scratch), 3);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(scratch, 3);
}

TEST(ParseVersionTest, PiecesThatAreNoNumberThrow)
{
    int a = 0, b = 0, c = 0;
    EXPECT_THROW(ParseVersion("1..2", &a, &b, &c), std::invalid_argument);
    EXPECT_THROW(ParseVersion("x.1", &a, &b, &c), std::invalid_argument);
    EXPECT_THROW(ParseVersion("99999999999.0", &a, &b, &c), std::out_of_range);
}

} // namespace
