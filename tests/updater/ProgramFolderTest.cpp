#include "Updater/Updater/ProgramFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProgramFolderTest, FolderKeepsTheLastSeparator)
{
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\a\\b\\x.exe", "C:\\a\\b\\"},
        {"C:\\a/b/x.exe", "C:\\a/b/"},
        {"C:\\a\\", "C:\\a\\"},
        {"\\x.exe", "\\"},
        {"x.exe", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
    }
}

TEST(ProgramFolderTest, TheRunningProgramLiesInItsFolder)
{
    const std::string module = ModulePath();
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty()) << module;
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(module.compare(0, folder.size(), folder), 0) << module;
    EXPECT_EQ(module.find_first_of("/\\", folder.size()), std::string::npos) << module;
}

} // namespace
