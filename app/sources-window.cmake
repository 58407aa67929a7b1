# The main window, its start-up and its commands. The view and palette operations keep their
# own list beside this one.
set(APP_WINDOW_SOURCES "")
include(${ZORB_ROOT}/app/sources-view.cmake OPTIONAL)
list(APPEND APP_WINDOW_SOURCES ${APP_VIEW_SOURCES})

set(APP_ENTRY_SOURCES_Avx "")
set(APP_ENTRY_SOURCES_Sse "")
set(APP_ENTRY_SOURCES_Scalar "")
