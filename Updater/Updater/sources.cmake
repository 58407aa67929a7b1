# The update client: option parser, Winsock and HTTP client, INI files, the updater logic and
# the update check thread.
set(UPDATER_SOURCES
    ${ZORB_ROOT}/Updater/Updater/CommandLine.cpp
    ${ZORB_ROOT}/Updater/Updater/Socket.cpp
    ${ZORB_ROOT}/Updater/Updater/HttpClient.cpp
    ${ZORB_ROOT}/Updater/Updater/SocketRecvBuffer.cpp
    ${ZORB_ROOT}/Updater/Updater/FileWriter.cpp
    ${ZORB_ROOT}/Updater/Updater/SocketRecvFileWriter.cpp
    ${ZORB_ROOT}/Updater/Updater/Ini/IniRead.cpp
    ${ZORB_ROOT}/Updater/Updater/Ini/IniWrite.cpp
    ${ZORB_ROOT}/Updater/Updater/Ini/IniLists.cpp
    ${ZORB_ROOT}/Updater/Updater/QuotedArgument.cpp
    ${ZORB_ROOT}/Updater/Updater/Updater.cpp
    ${ZORB_ROOT}/Updater/Updater/UpdateSession.cpp
    ${ZORB_ROOT}/Updater/Updater/UpdateCheck.cpp
)
set(UPDATER_MAIN_SOURCES
    ${ZORB_ROOT}/Updater/Updater/UpdaterProgram.cpp
)
