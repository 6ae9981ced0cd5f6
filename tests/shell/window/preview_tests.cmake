# Tests of the 宝贝预览 window. Included from tests/.
# Widgets need a QApplication: the web application class, which starts no page.
zorvane_add_test(test_preview_window APP web LABELS gui SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_preview_window.cpp
    LIBS zorvane_preview)
