#pragma once

#include "FileWriter.h"
#include "SocketRecvCallback.h"

// Writes a reply body into the file its owner opened; closes it when the connection ends.
class SocketRecvFileWriter : public FileWriter, public SocketRecvCallback
{
public:
    static constexpr int64_t kNotAnnounced = -1;

    void OnContentLength(int64_t contentLength) override;
    void OnData(const char* data, int64_t length) override;
    void OnConnectionClosed(int unused) override;
    // A body running past its announced length is not the file that was announced; reading on
    // would only fill the disk.
    bool AcceptsMore() const override;

    // The length the last reply announced, kNotAnnounced before any.
    int64_t GetAnnouncedLength() const { return announcedLength; }

private:
    int64_t announcedLength = kNotAnnounced;
    int64_t received = 0;
};
