#pragma once

// The loopback test server's port and the paths that script its replies (test_http_server.py).

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "WholeFile.h"

inline uint16_t TestServerPort()
{
    const char* text = getenv("ZORB_TEST_SERVER_PORT");
    return text != nullptr ? static_cast<uint16_t>(atoi(text)) : 0;
}

inline std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

// "/t/<options>/<hex of payload>": the server replies as the options say.
inline std::string Scripted(const std::string& options, const std::string& payload)
{
    return "/t/" + options + "/" + Hex(payload);
}

inline std::string OwnFileName()
{
    char buffer[1000] = {};
    GetModuleFileNameA(NULL, buffer, sizeof buffer);
    std::string path = buffer;
    return path.substr(path.find_last_of("/\\") + 1);
}

#define REQUIRE_TEST_SERVER()                                                    \
    if (TestServerPort() == 0) {                                                 \
        GTEST_SKIP() << "no loopback test server (run through run_with_server.py)"; \
    }
