# The window's menu, toolbar and key commands, and the ones that hand its data to files and
# dialogs.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandsFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CoordinatesCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogCommands.cpp
)
