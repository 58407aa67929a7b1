#pragma once

#include "CommandLine.h"
#include "HttpClient.h"
#include "Ini/Ini.h"
#include "SocketRecvFileWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// One update. Check mode (the default) reads the server settings, asks for the newest version,
// downloads it and starts the updater program; the owner drives those steps. Updater mode (the
// flag CopyAndRun) copies the download over the program file and starts it again, all inside
// the constructor.
class Updater
{
public:
    static constexpr uint16_t kDefaultPort = 80;
    // A version reply is a few words; anything longer is no version reply.
    static constexpr size_t kMaxVersionReply = 8 * 1024;

    explicit Updater(const std::string& commandLine);
    Updater(int argc, char** argv);
    ~Updater();

    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    bool CheckForUpdate();
    // The manifest and version steps of CheckForUpdate on a received body: true when it offers
    // this program a newer version in a form that can be shown and fetched.
    bool ReadVersionReply(const std::string& body);
    // True only when the whole announced file arrived and was written out. Until then the file
    // is provisional: a download that ends any other way, by the program's end included, leaves
    // no file behind.
    bool Download();
    // Puts the download in place of the target, which stays whole until the new file replaces it.
    // Only a file of the known, non-zero size is put there.
    bool CopyDownloaded(bool force);
    void LaunchTarget(const std::string& originalCommandLine);
    void RunUpdater(std::string updaterExe);

    const std::string& GetHost() const { return host; }
    const std::string& GetPath() const { return path; }
    uint16_t GetPort() const { return port; }
    const std::string& GetNewVersion() const { return newVersion; }
    const std::string& GetTempFile() const { return tempFile; }
    const std::string& GetTargetPath() const { return targetPath; }
    const std::vector<std::string>& GetVersionFields() const { return versionFields; }
    bool IsMajorUpdate() const { return majorUpdate; }
    int64_t GetBytesDownloaded() const { return download.GetBytesWritten(); }
    // The size the download must have; -1 while unknown.
    int64_t GetExpectedSize() const { return expectedSize; }

private:
    void Init(CommandLine& commandLine);
    std::string ReadHostInfo(const char* key, CIni& settings, CommandLine& commandLine);

    std::string host;
    std::string path;
    std::string exeName;
    std::string currentVersion;
    std::string clientName;
    std::string programDir;
    uint16_t port;
    std::string tempFile;
    std::string targetName;
    std::string targetPath;
    std::string newVersion;
    HttpClient http;
    std::vector<std::string> versionFields;
    SocketRecvFileWriter download;
    bool majorUpdate;
    // The size the download must have: what a whole download announced, or in updater mode the
    // "Size" option that the hand-over passes on.
    int64_t expectedSize;
};

// True when the running version text sorts before the offered one, byte by byte: versions are
// compared as texts, so "1.10" is not newer than "1.5".
bool IsOlderVersion(const std::string& running, const std::string& offered);

// True for a version text that may be offered: dot-separated numbers of digits alone, short
// enough for a message box.
bool IsVersionText(const std::string& text);

// The whole flow of the updater program; returns 0.
int UpdaterMain(int argc, char** argv);
