#include "Updater/Updater/Updater.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WholeFile.h"

namespace {

void Put(const std::string& name, const std::string& text)
{
    FILE* f = fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr) << name;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

// The files that the replacement is built in, left in the program's folder.
std::vector<std::string> StagedFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\_Up*.tmp").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return names;
}

// An updater in updater mode's position, without its copy and restart in the constructor: the
// download lies in the temporary folder and the old program beside the test.
class UpdaterCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fileName = "zorb-copy-" + std::to_string(GetCurrentProcessId()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name() + ".exe";
    }

    void TearDown() override
    {
        for (const std::string& file : cleanup) {
            DeleteFileA(file.c_str());
        }
    }

    std::string Folder(const Updater& updater) const
    {
        const std::string& target = updater.GetTargetPath();
        return target.substr(0, target.find_last_of('\\'));
    }

    void Lay(const Updater& updater, const std::string& download, const std::string& program)
    {
        cleanup.push_back(updater.GetTempFile());
        cleanup.push_back(updater.GetTargetPath());
        Put(updater.GetTempFile(), download);
        Put(updater.GetTargetPath(), program);
    }

    std::string fileName;
    std::vector<std::string> cleanup;
};

TEST_F(UpdaterCopyTest, AFailedCopyLeavesTheOldProgramWhole)
{
    Updater updater("prog.exe Filename=" + fileName + " Size=11");
    Lay(updater, "NEW PROGRAM", "OLD PROGRAM");
    std::vector<std::string> stagedBefore = StagedFiles(Folder(updater));

    // The download cannot be read while another process holds it without sharing.
    HANDLE held = CreateFileA(updater.GetTempFile().c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    testing::internal::CaptureStdout();
    bool copied = updater.CopyDownloaded(true);
    testing::internal::GetCapturedStdout();
    CloseHandle(held);

    EXPECT_FALSE(copied);
    EXPECT_EQ(ReadWholeFile(updater.GetTargetPath()), "OLD PROGRAM");
    EXPECT_EQ(StagedFiles(Folder(updater)), stagedBefore);

    // Once readable, the same download replaces the program and leaves nothing beside it.
    EXPECT_TRUE(updater.CopyDownloaded(true));
    EXPECT_EQ(ReadWholeFile(updater.GetTargetPath()), "NEW PROGRAM");
    EXPECT_EQ(StagedFiles(Folder(updater)), stagedBefore);
}

struct SizeCase
{
    const char* option;
    const char* download;
    bool force;
    bool copied;
};

// Forced is updater mode: the size the check announced comes along as an option. Unforced, the
// file must be what this updater itself wrote, and it wrote nothing here.
TEST_F(UpdaterCopyTest, CopiesOnlyADownloadOfTheExpectedSize)
{
    const SizeCase cases[] = {
        {"Size=11", "NEW PROGRAM", true, true},
        {"Size=10", "NEW PROGRAM", true, false},
        {"Size=12", "NEW PROGRAM", true, false},
        {"Size=0", "NEW PROGRAM", true, false},
        // Without a size the file may be any leftover of a failed download: nothing is copied.
        {"", "NEW PROGRAM", true, false},
        {"", "", true, false},
        {"Size=0", "", true, false},
        {"Size=x", "NEW PROGRAM", true, false},
        {"Size=-11", "NEW PROGRAM", true, false},
        {"Size=11", "NEW PROGRAM", false, false},
        {"", "", false, false},
    };
    for (const SizeCase& c : cases) {
        Updater updater("prog.exe Filename=" + fileName + " " + c.option);
        Lay(updater, c.download, "OLD PROGRAM");
        testing::internal::CaptureStdout();
        EXPECT_EQ(updater.CopyDownloaded(c.force), c.copied)
            << c.option << " '" << c.download << "'" << (c.force ? " forced" : "");
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(ReadWholeFile(updater.GetTargetPath()), c.copied ? c.download : "OLD PROGRAM") << c.option;
    }
}

} // namespace
