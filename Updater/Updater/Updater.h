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

    explicit Updater(const std::string& commandLine);
    Updater(int argc, char** argv);
    ~Updater();

    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    bool CheckForUpdate();
    bool Download();
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
};

// True when the running version text sorts before the offered one, byte by byte: versions are
// compared as texts, so "1.10" is not newer than "1.5".
bool IsOlderVersion(const std::string& running, const std::string& offered);

// The whole flow of the updater program; returns 0.
int UpdaterMain(int argc, char** argv);
