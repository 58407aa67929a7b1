#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "GoldenData.h"
#include "render/BuildConfig.h"

// Runs the golden tests, or with --write-golden writes the golden data instead. Only an x64
// build may write it: its arithmetic is SSE2's, one rounding per operation, which is what
// every other build must reproduce.
int main(int argc, char** argv)
{
    bool write = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--write-golden") == 0) {
            write = true;
        } else if (std::strncmp(argv[i], "--golden-dir=", 13) == 0) {
            SetGoldenDir(argv[i] + 13);
        }
    }
    if (!write) {
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }
    if (!kBuild64Bit || __FLT_EVAL_METHOD__ != 0) {
        std::fprintf(stderr, "golden data is written by an x64 build only\n");
        return 2;
    }
    std::string error;
    if (!WriteKernelGolden(&error) || !WriteViewGolden(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("golden data written to %s\n", GoldenDir().c_str());
    return 0;
}
