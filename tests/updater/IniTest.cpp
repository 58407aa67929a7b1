#include "Updater/Updater/Ini/Ini.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Each test gets a real INI file of its own in a fresh folder under the temporary folder.
class IniTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        folder = std::string(temp) + "zorb-ini-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++counter);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        file = folder + "\\test.ini";
        ini.SetPath(file.c_str());
    }

    void TearDown() override
    {
        DeleteFileA(file.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void WriteFile(const std::string& text)
    {
        FILE* f = fopen(file.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }

    std::string Raw(const char* section, const char* key)
    {
        char buffer[4096];
        GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, file.c_str());
        return buffer;
    }

    static std::string List(const char* list, int count)
    {
        return std::string(list, static_cast<size_t>(count));
    }

    std::string folder;
    std::string file;
    CIni ini;
};

TEST_F(IniTest, ReadStringGrowsTheBufferSoValuesAreNeverCut)
{
    const size_t lengths[] = {0, 1, 510, 511, 512, 1023, 1024, 1500, 5000};
    std::string text = "[s]\n";
    for (size_t length : lengths) {
        text += "k" + std::to_string(length) + "=" + std::string(length, 'v') + "\n";
    }
    WriteFile(text);
    for (size_t length : lengths) {
        std::string key = "k" + std::to_string(length);
        std::string out(6000, '#');
        EXPECT_EQ(ini.ReadString("s", key.c_str(), &out[0], 6000), static_cast<int>(length));
        EXPECT_EQ(std::string(out.c_str()), std::string(length, 'v')) << key;
    }
}

TEST_F(IniTest, ReadStringCopiesAtMostSizeBytes)
{
    WriteFile("[HostInfo]\nHost=" + std::string(1500, 'h') + "\nPort=8080\n");
    char out[1002];
    memset(out, '#', sizeof out);
    EXPECT_EQ(ini.ReadString("HOSTINFO", "host", out, 1000), 1000);
    EXPECT_EQ(std::string(out, 1000), std::string(1000, 'h'));
    EXPECT_EQ(out[1000], '#');
    EXPECT_EQ(ini.ReadString("HostInfo", "Port", out, 1000), 4);
    EXPECT_STREQ(out, "8080");
    EXPECT_EQ(ini.ReadString("HostInfo", "none", out, 1000), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(ini.ReadString(nullptr, "Port", out, 1000), 0);
    EXPECT_EQ(ini.ReadString("HostInfo", "Port", nullptr, 0), 4);
}

TEST_F(IniTest, ReadStringAllocGivesTheDefaultOnlyWhenMissing)
{
    WriteFile("[s]\nempty=\nfull=x y\n");
    struct Case { const char* section; const char* key; const char* def; const char* expected; };
    const Case cases[] = {
        {"s", "full", "d", "x y"}, {"s", "empty", "d", ""}, {"s", "none", "d", "d"},
        {"s", "none", nullptr, ""}, {nullptr, "full", "d", "d"}, {"s", nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        char* value = ini.ReadStringAlloc(c.section, c.key, c.def);
        EXPECT_STREQ(value, c.expected) << (c.key ? c.key : "(null)");
        delete[] value;
    }
}

TEST_F(IniTest, IntegersReadInTheirBase)
{
    WriteFile("[n]\nhex=ff\nbin=101\noct=17\ndec=12\nneg=-1\nempty=\n");
    struct Case { const char* key; int base; int expected; };
    const Case cases[] = {
        {"hex", 16, 255}, {"hex", 10, 0}, {"bin", 2, 5}, {"oct", 8, 15}, {"dec", 7, 12},
        {"dec", 10, 12}, {"neg", 10, -1}, {"empty", 10, 0}, {"missing", 16, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.ReadInt("n", c.key, 99, c.base), c.expected) << c.key << " base " << c.base;
    }
    EXPECT_EQ(ini.ReadUnsigned("n", "neg", 5, 10), 0xFFFFFFFFu);
}

TEST_F(IniTest, IntegersWriteInTheirBase)
{
    struct Case { int value; int base; const char* expected; };
    const Case cases[] = {
        {5, 2, "101"}, {0, 2, "0"}, {-1, 2, "11111111111111111111111111111111"}, {-1, 16, "FFFFFFFF"},
        {255, 16, "FF"}, {8, 8, "10"}, {-7, 10, "-7"}, {-7, 3, "-7"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ini.WriteInt("w", "k", c.value, c.base));
        EXPECT_EQ(Raw("w", "k"), c.expected) << c.value << " base " << c.base;
    }
    ASSERT_TRUE(ini.WriteUnsigned("w", "u", 4294967295u, 10));
    EXPECT_EQ(Raw("w", "u"), "4294967295");
    ASSERT_TRUE(ini.WriteUnsigned("w", "u", 10u, 16));
    EXPECT_EQ(Raw("w", "u"), "A");
}

TEST_F(IniTest, AddersStartFromZeroAndKeepTheBase)
{
    ASSERT_TRUE(ini.AddToInt("a", "count", 5, 16));
    EXPECT_EQ(Raw("a", "count"), "5");
    ASSERT_TRUE(ini.AddToInt("a", "count", 11, 16));
    EXPECT_EQ(Raw("a", "count"), "10");
    ASSERT_TRUE(ini.AddToUnsigned("a", "u", 3, 2));
    EXPECT_EQ(Raw("a", "u"), "11");
    ASSERT_TRUE(ini.AddToReal("a", "r", 1.25, 2));
    ASSERT_TRUE(ini.AddToReal("a", "r", 1.25, 2));
    EXPECT_EQ(Raw("a", "r"), "2.50");
}

TEST_F(IniTest, FlagsReadYesTrueAndNonZero)
{
    WriteFile("[f]\na=Yes\nb=TRUE\nc=2\nd=no\ne=0\nf=\ng=true story\n");
    struct Case { const char* key; bool expected; };
    const Case cases[] = {
        {"a", true}, {"b", true}, {"c", true}, {"d", false}, {"e", false}, {"f", false}, {"missing", false},
        {"g", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.ReadFlag("f", c.key), c.expected) << c.key;
    }
    ASSERT_TRUE(ini.ToggleFlag("f", "new"));
    EXPECT_EQ(Raw("f", "new"), "1");
    ASSERT_TRUE(ini.ToggleFlag("f", "a"));
    EXPECT_EQ(Raw("f", "a"), "0");
    ASSERT_TRUE(ini.WriteFlag("f", "w", true));
    EXPECT_EQ(Raw("f", "w"), "1");
}

TEST_F(IniTest, RealsAndCharacters)
{
    struct Case { double value; int precision; const char* expected; };
    const Case cases[] = {{2.5, 0, "2.500000"}, {2.5, 2, "2.50"}, {-0.125, 1, "-0.1"}, {3.0, -4, "3.000000"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(ini.WriteReal("r", "k", c.value, c.precision));
        EXPECT_EQ(Raw("r", "k"), c.expected);
    }
    EXPECT_DOUBLE_EQ(ini.ReadReal("r", "k", 9.0), 3.0);
    EXPECT_DOUBLE_EQ(ini.ReadReal("r", "missing", 9.0), 9.0);
    // A number too long for its 64 characters is refused rather than written cut.
    EXPECT_FALSE(ini.WriteReal("r", "big", 1e300, 0));
    EXPECT_EQ(Raw("r", "big"), "<missing>");

    ASSERT_TRUE(ini.WriteChar("c", "k", 'Q'));
    EXPECT_EQ(ini.ReadChar("c", "k", 'd'), 'Q');
    ASSERT_TRUE(ini.WriteChar("c", "k", '\0'));
    EXPECT_EQ(Raw("c", "k"), "");
    EXPECT_EQ(ini.ReadChar("c", "k", 'd'), 'd');
}

TEST_F(IniTest, HexBytes)
{
    WriteFile("[h]\nodd=0A1b2\nbad=0G\nthree=010203\n");
    unsigned char out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(ini.ReadHexBytes("h", "odd", out, 4), 2u);
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0x1B);
    EXPECT_EQ(out[2], 0xEE);
    EXPECT_EQ(ini.ReadHexBytes("h", "bad", out, 4), 0u);
    EXPECT_EQ(ini.ReadHexBytes("h", "odd", nullptr, 0), 2u);
    EXPECT_EQ(ini.ReadHexBytes("h", "three", out, 2), 2u);
    EXPECT_EQ(out[1], 0x02);
    EXPECT_EQ(ini.ReadHexBytes("h", "three", out, 0), 0u);

    const uint8_t data[] = {0x00, 0xAB, 0x7F};
    ASSERT_TRUE(ini.WriteHexBytes("h", "w", data, 3));
    EXPECT_EQ(Raw("h", "w"), "00AB7F");
    ASSERT_TRUE(ini.AppendHexBytes("h", "w", data, 1));
    EXPECT_EQ(Raw("h", "w"), "00AB7F00");
    EXPECT_FALSE(ini.WriteHexBytes("h", "w", nullptr, 3));

    ASSERT_TRUE(ini.WriteHex8Bytes("h", "q", 0x0102030405060708ull));
    EXPECT_EQ(Raw("h", "q"), "0807060504030201");
    EXPECT_EQ(ini.ReadHex8Bytes("h", "q", 7), 0x0102030405060708ull);
    EXPECT_EQ(ini.ReadHex8Bytes("h", "three", 7), 7u);

    const GUID id = {0x63788286, 0xAE30, 0x4D6B, {0x95, 0xDF, 0x3B, 0x45, 0x1C, 0x1C, 0x79, 0xF9}};
    ASSERT_TRUE(ini.WriteHex16Bytes("h", "g", &id));
    EXPECT_EQ(Raw("h", "g"), "86827863" "30AE" "6B4D" "95DF3B451C1C79F9");
    GUID back = ini.ReadHex16Bytes("h", "g", nullptr);
    EXPECT_EQ(memcmp(&back, &id, sizeof id), 0);
    GUID fallback = ini.ReadHex16Bytes("h", "q", &id);
    EXPECT_EQ(memcmp(&fallback, &id, sizeof id), 0);
    EXPECT_FALSE(ini.WriteHex16Bytes("h", "g", nullptr));
}

TEST_F(IniTest, StringsWriteAppendAndRefuseNullNames)
{
    ASSERT_TRUE(ini.WriteString("s", "k", "one"));
    ASSERT_TRUE(ini.AppendString("s", "k", "+two"));
    EXPECT_EQ(Raw("s", "k"), "one+two");
    ASSERT_TRUE(ini.WriteString("s", "k", nullptr));
    EXPECT_EQ(Raw("s", "k"), "");
    EXPECT_TRUE(ini.HasKey("s", "k"));
    EXPECT_FALSE(ini.AppendString("s", "k", nullptr));
    EXPECT_FALSE(ini.WriteString(nullptr, "k", "v"));
    EXPECT_FALSE(ini.WriteString("s", nullptr, "v"));
}

TEST_F(IniTest, KeysAndSections)
{
    WriteFile("[One]\na=1\nempty=\nmarker={63788286-AE30-4D6B-95DF-3B451C1C79F9}\n[Two]\nb=2\n");
    EXPECT_TRUE(ini.HasSection("one"));
    EXPECT_FALSE(ini.HasSection("three"));
    EXPECT_FALSE(ini.HasSection(nullptr));
    EXPECT_TRUE(ini.HasKey("ONE", "A"));
    EXPECT_TRUE(ini.HasKey("One", "empty"));
    EXPECT_FALSE(ini.HasKey("One", "marker"));
    EXPECT_FALSE(ini.HasKey("One", "none"));
    EXPECT_FALSE(ini.HasKey(nullptr, "a"));

    // Copies within one section, refuses the same key by another case, honours failIfExists.
    EXPECT_TRUE(ini.CopyKey("One", "a", "One", "c", false));
    EXPECT_EQ(Raw("One", "c"), "1");
    EXPECT_FALSE(ini.CopyKey("One", "a", "ONE", "A", false));
    EXPECT_FALSE(ini.CopyKey("One", "a", "Two", "b", true));
    EXPECT_FALSE(ini.CopyKey("One", "none", "Two", "x", false));
    EXPECT_TRUE(ini.RenameKey("One", "c", "Two", "moved", false));
    EXPECT_EQ(Raw("Two", "moved"), "1");
    EXPECT_FALSE(ini.HasKey("One", "c"));

    EXPECT_FALSE(ini.CopySection("One", "ONE", false));
    EXPECT_FALSE(ini.CopySection("One", "Two", true));
    EXPECT_FALSE(ini.CopySection("None", "Four", false));
    EXPECT_TRUE(ini.CopySection("One", "Two", false));
    EXPECT_EQ(Raw("Two", "a"), "1");
    EXPECT_EQ(Raw("Two", "b"), "<missing>");
    EXPECT_TRUE(ini.RenameSection("Two", "Three", false));
    EXPECT_FALSE(ini.HasSection("Two"));
    EXPECT_EQ(Raw("Three", "a"), "1");
    EXPECT_TRUE(ini.RemoveKey("Three", "a"));
    EXPECT_FALSE(ini.HasKey("Three", "a"));
    EXPECT_TRUE(ini.RemoveSection("Three"));
    EXPECT_FALSE(ini.HasSection("Three"));
}

TEST_F(IniTest, ListsOfNamesAndLines)
{
    WriteFile("[s]\nalpha=1\n beta = 2\ngamma=\n[t]\n[u]\n");
    char out[64];
    int count = ini.ReadKeyNames("s", out, sizeof out);
    EXPECT_EQ(List(out, count + 1), std::string("alpha\0beta\0gamma\0\0", 18));
    EXPECT_EQ(ini.ReadKeyNames("s", nullptr, 0), 17);
    EXPECT_EQ(ini.ReadKeyNames(nullptr, out, sizeof out), 0);

    // An entry that does not fit whole is left out; the closing NUL stays inside the buffer.
    char small[13];
    memset(small, '#', sizeof small);
    count = ini.ReadKeyNames("s", small, 12);
    EXPECT_EQ(List(small, count + 1), std::string("alpha\0beta\0\0", 12));
    EXPECT_EQ(small[12], '#');

    count = ini.ReadSectionNames(out, sizeof out);
    EXPECT_EQ(List(out, count), std::string("s\0t\0u\0", 6));
    EXPECT_EQ(ini.ReadSectionNames(nullptr, 0), 8);

    count = ini.ReadSectionLines("s", out, sizeof out);
    EXPECT_EQ(List(out, count), std::string("alpha=1\0beta=2\0gamma=\0", 22));
    EXPECT_EQ(ini.ReadSectionLines("s", nullptr, 0), 24);
}

TEST_F(IniTest, ReadListSplitsTheValue)
{
    WriteFile("[l]\nv= a , ,b \nsemi=x;y\nempty=\n");
    char out[32];
    int count = ini.ReadList("l", "v", out, sizeof out, ",", true);
    EXPECT_EQ(List(out, count + 1), std::string("a\0b\0\0", 5));
    EXPECT_EQ(ini.ReadList("l", "v", nullptr, 0, ",", true), 4);
    count = ini.ReadList("l", "semi", out, sizeof out, ";", false);
    EXPECT_EQ(List(out, count + 1), std::string("x\0y\0\0", 5));
    EXPECT_EQ(ini.ReadList("l", "empty", out, sizeof out, ",", false), 0);
    EXPECT_EQ(ini.ReadList(nullptr, "v", out, sizeof out, ",", false), 0);
}

struct SplitCase
{
    const char* text;
    const char* delimiter;
    bool trim;
    unsigned size;
    std::string expected;  // the buffer up to and with the closing NUL
};

TEST(IniTextTest, SplitToListCutsDropsAndBounds)
{
    const SplitCase cases[] = {
        {" a , ,b ", ",", true, 32, std::string("a\0b\0\0", 5)},
        {" a , ,b ", ",", false, 32, std::string(" a \0 \0b \0\0", 10)},
        {"a::b::::c", "::", false, 32, std::string("a\0b\0c\0\0", 7)},
        {"a,b", nullptr, false, 32, std::string("a\0b\0\0", 5)},
        {"a,b", "", false, 32, std::string("a,b\0", 4)},
        {"abcdef", "", false, 4, std::string("abc\0", 4)},
        {"ab,cd,ef", ",", false, 7, std::string("ab\0cd\0\0", 7)},
        {"ab,cd,ef", ",", false, 6, std::string("ab\0\0", 4)},
        {"abcdef", ",", false, 3, std::string("\0", 1)},
        {"", ",", false, 8, std::string("\0", 1)},
    };
    for (const SplitCase& c : cases) {
        char out[40];
        memset(out, '#', sizeof out);
        unsigned count = CIni::SplitToList(c.text, out, c.size, c.delimiter, c.trim);
        EXPECT_EQ(std::string(out, count + 1), c.expected) << "[" << c.text << "] size " << c.size;
        EXPECT_EQ(out[c.size], '#') << "wrote past the buffer for [" << c.text << "]";
    }
    char out[4];
    EXPECT_EQ(CIni::SplitToList(nullptr, out, 4, ",", false), 0u);
    EXPECT_EQ(CIni::SplitToList("a", nullptr, 4, ",", false), 0u);
    EXPECT_EQ(CIni::SplitToList("a", out, 0, ",", false), 0u);
}

TEST(IniTextTest, TrimInPlaceRemovesOnlyBlanksTabsAndLineEnds)
{
    struct Case { const char* text; const char* expected; bool removed; };
    const Case cases[] = {
        {"", "", false}, {"   ", "", true}, {"\t a b \r\n", "a b", true}, {"x", "x", false},
        {"\vx\f", "\vx\f", false},
    };
    for (const Case& c : cases) {
        char buffer[32];
        strcpy(buffer, c.text);
        EXPECT_EQ(CIni::TrimInPlace(buffer), c.removed) << "[" << c.text << "]";
        EXPECT_STREQ(buffer, c.expected);
    }
    EXPECT_FALSE(CIni::TrimInPlace(nullptr));
}

TEST(IniTextTest, NumberTextHelpers)
{
    char out[70];
    CIni::UIntToBinary(0, out);
    EXPECT_STREQ(out, "0");
    CIni::UIntToBinary(6, out);
    EXPECT_STREQ(out, "110");
    CIni::IntToString(0xFFFFFFFFu, out, 10);
    EXPECT_STREQ(out, "-1");
    CIni::IntToString(64, out, 8);
    EXPECT_STREQ(out, "100");
    EXPECT_EQ(CIni::NormaliseBase(7), 10);
    EXPECT_EQ(CIni::NormaliseBase(16), 16);
    EXPECT_TRUE(CIni::StringToFlag("YES"));
    EXPECT_FALSE(CIni::StringToFlag(nullptr));
    EXPECT_FALSE(CIni::StringToFlag("nope"));
}

TEST(IniTextTest, ForEachInListStopsAtTheFirstFalse)
{
    char names[] = "alpha\0Beta\0gamma\0";
    char wanted[] = "BETA";
    EXPECT_FALSE(CIni::ForEachInList(names, CIni::NameDiffers, wanted));
    char other[] = "delta";
    EXPECT_TRUE(CIni::ForEachInList(names, CIni::NameDiffers, other));
    EXPECT_FALSE(CIni::ForEachInList(nullptr, CIni::NameDiffers, other));
}

TEST(IniPathTest, PathIsCopiedEmptiedAndCut)
{
    CIni ini("C:\\folder\\file.ini");
    char out[8];
    EXPECT_EQ(ini.GetPath(out, sizeof out), 7);
    EXPECT_STREQ(out, "C:\\fold");
    ini.SetPath(nullptr);
    EXPECT_EQ(ini.GetPath(out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    CIni none;
    EXPECT_EQ(none.GetPath(out, sizeof out), 0);
    // Without a path nothing reaches the system's default file.
    EXPECT_FALSE(none.WriteString("s", "k", "v"));
    EXPECT_EQ(none.ReadInt("s", "k", 0, 10), 0);
    EXPECT_FALSE(none.HasSection("s"));
}

} // namespace
