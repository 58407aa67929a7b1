#pragma once

#include "FileWriter.h"
#include "SocketRecvCallback.h"

// Writes a reply body into the file its owner opened; closes it when the connection ends.
class SocketRecvFileWriter : public FileWriter, public SocketRecvCallback
{
public:
    void OnContentLength(int64_t contentLength) override;
    void OnData(const char* data, int64_t length) override;
    void OnConnectionClosed(int unused) override;
};
