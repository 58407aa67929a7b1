#include "DebugTextCapture.h"

#include <windows.h>

#include <algorithm>
#include <mutex>

namespace {

std::mutex capturedLock;
std::vector<std::string> captured;

LONG CALLBACK CaptureDebugText(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        std::lock_guard<std::mutex> lock(capturedLock);
        captured.emplace_back(text);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

DebugTextCapture::DebugTextCapture() {
    {
        std::lock_guard<std::mutex> lock(capturedLock);
        captured.clear();
    }
    handler_ = AddVectoredExceptionHandler(1, &CaptureDebugText);
}

DebugTextCapture::~DebugTextCapture() {
    RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::string> DebugTextCapture::Texts() const {
    std::lock_guard<std::mutex> lock(capturedLock);
    return captured;
}

int DebugTextCapture::Count(const std::string& text) const {
    std::lock_guard<std::mutex> lock(capturedLock);
    return static_cast<int>(std::count(captured.begin(), captured.end(), text));
}
