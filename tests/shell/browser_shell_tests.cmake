# Tests of the browser side of the window. Included from tests/.
set(here ${CMAKE_CURRENT_LIST_DIR})

zorvane_add_test(test_browser_shell APP core LABELS unit SOURCES
    ${here}/test_tab_book.cpp
    ${here}/test_address_rules.cpp
    ${here}/test_favourites.cpp
    ${here}/test_help_and_copies.cpp
    LIBS zorvane_browser_shell)

add_executable(zorvane-lists-lock-holder ${here}/lists_lock_holder.cpp)
target_link_libraries(zorvane-lists-lock-holder PRIVATE zorvane_core)
zorvane_add_test(test_lists_lock APP core LABELS unit SOURCES
    ${here}/test_lists_lock.cpp)
target_compile_definitions(test_lists_lock PRIVATE
    ZORVANE_LOCK_HOLDER="$<TARGET_FILE:zorvane-lists-lock-holder>")
add_dependencies(test_lists_lock zorvane-lists-lock-holder)

# Widgets need a QApplication: the web application class, which starts no page.
zorvane_add_test(test_browser_shell_windows APP web LABELS gui SOURCES
    ${here}/test_favourites_window.cpp
    ${here}/test_skins_and_tray.cpp
    LIBS zorvane_browser_shell)
target_compile_definitions(test_browser_shell_windows PRIVATE
    ZORVANE_SKIN_DIR="${PROJECT_SOURCE_DIR}/data/skins")
