# The small dialogs and the file dialogs' shared record.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AboutDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileNameEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MaxIterationsDialog.cpp
)
