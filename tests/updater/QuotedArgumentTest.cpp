#include "Updater/Updater/QuotedArgument.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The words the system's own splitter makes of a command line, past the program name.
std::vector<std::string> SplitAsTheSystemDoes(const std::string& arguments)
{
    std::string line = "prog.exe " + arguments;
    std::wstring wide(line.begin(), line.end());
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i) {
        std::wstring word = words[i];
        result.emplace_back(word.begin(), word.end());
    }
    LocalFree(words);
    return result;
}

TEST(QuotedArgumentTest, EveryWordComesBackWholeFromTheSplit)
{
    const std::string words[] = {
        "",
        "windowed",
        "OriginalCLI=windowed Size=1",
        "  two  blanks  ",
        "say \"hi\"",
        "\"",
        "\"\"",
        "C:\\dir with space\\",
        "C:\\dir\\\\",
        "a\\\"b",
        "a\\\\\"b",
        "\\",
        "tab\there",
        "-CopyAndRun Filename=Other.exe",
        "*.exe ?",
    };
    for (const std::string& word : words) {
        std::string quoted = QuotedArgument(word);
        EXPECT_EQ(SplitAsTheSystemDoes(quoted + " next"), (std::vector<std::string>{word, "next"})) << quoted;
    }
    EXPECT_EQ(QuotedArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuotedArgument("x\\y\\"), "\"x\\y\\\\\"");
    EXPECT_EQ(QuotedArgument("q\"q"), "\"q\\\"q\"");
}

} // namespace
