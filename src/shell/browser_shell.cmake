# The browser side of the window: tabs, the address bar's rules, favourites,
# skins, the tray, help, "新建" and the lists lock. Included from src/.

# The rules without widgets belong to the core library.
target_sources(zorvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/address_rules.h ${CMAKE_CURRENT_LIST_DIR}/address_rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/favourites.h ${CMAKE_CURRENT_LIST_DIR}/favourites.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_commands.h ${CMAKE_CURRENT_LIST_DIR}/help_commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lists_lock.h ${CMAKE_CURRENT_LIST_DIR}/lists_lock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tab_book.h ${CMAKE_CURRENT_LIST_DIR}/tab_book.cpp)

# The small windows, the tray and the desktop adapters the window composes.
add_library(zorvane_browser_shell STATIC
    ${CMAKE_CURRENT_LIST_DIR}/another_copy.h ${CMAKE_CURRENT_LIST_DIR}/another_copy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app_icon.h ${CMAKE_CURRENT_LIST_DIR}/app_icon.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app_icon.qrc
    ${CMAKE_CURRENT_LIST_DIR}/dialog_prompts.h ${CMAKE_CURRENT_LIST_DIR}/dialog_prompts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/favourites_window.h ${CMAKE_CURRENT_LIST_DIR}/favourites_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_window.h ${CMAKE_CURRENT_LIST_DIR}/skin_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skins.h ${CMAKE_CURRENT_LIST_DIR}/skins.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tray_icon.h ${CMAKE_CURRENT_LIST_DIR}/tray_icon.cpp)
set_target_properties(zorvane_browser_shell PROPERTIES AUTORCC ON)
target_link_libraries(zorvane_browser_shell PUBLIC zorvane_core Qt6::Gui Qt6::Widgets)

# The shipped skins lie in 皮肤/ beside the executables of the build tree,
# where the program finds them when it runs from there.
file(GLOB ZORVANE_SKINS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/skins/*.qss)
set(ZORVANE_BUILD_SKIN_DIR ${CMAKE_CURRENT_BINARY_DIR}/shell/皮肤)
set(skin_copies)
foreach(skin IN LISTS ZORVANE_SKINS)
  get_filename_component(name ${skin} NAME)
  add_custom_command(OUTPUT ${ZORVANE_BUILD_SKIN_DIR}/${name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${skin} ${ZORVANE_BUILD_SKIN_DIR}/${name}
      DEPENDS ${skin} VERBATIM)
  list(APPEND skin_copies ${ZORVANE_BUILD_SKIN_DIR}/${name})
endforeach()
add_custom_target(zorvane_skins ALL DEPENDS ${skin_copies})
