# The main window: its object and life, messages, mouse, painting, renders, and the view and
# palette operations it runs on itself.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MenuRadioGroup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUI.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUICreate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUIMessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUIMouse.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUIPaint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUIPalette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUIRender.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZorbGUIView.cpp
)
