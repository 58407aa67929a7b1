#pragma once

#include <string>
#include <vector>

// Collects what the process writes with OutputDebugStringA while it lives: the call raises a
// debug-print exception that a vectored handler sees first. One capture at a time.
class DebugTextCapture {
public:
    DebugTextCapture();
    ~DebugTextCapture();
    DebugTextCapture(const DebugTextCapture&) = delete;
    DebugTextCapture& operator=(const DebugTextCapture&) = delete;

    std::vector<std::string> Texts() const;
    int Count(const std::string& text) const;

private:
    void* handler_;
};
