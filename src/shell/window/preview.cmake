# The 宝贝预览 window: a library of its own, so that its tests and benchmark
# build it without the main form. Included from src/.
add_library(zorvane_preview STATIC
    ${CMAKE_CURRENT_LIST_DIR}/item_preview_window.h ${CMAKE_CURRENT_LIST_DIR}/item_preview_window.cpp)
target_link_libraries(zorvane_preview PUBLIC zorvane_platform)
