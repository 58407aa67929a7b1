# The small dialogs, the file dialogs' shared record and the error box.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AboutDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ErrorBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileNameEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MaxIterationsDialog.cpp
)
