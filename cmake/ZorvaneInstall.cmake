# cmake --install (and the .deb): the programs, the skins, the desktop entry,
# the icons and the AppStream metadata in their usual places under the prefix.
# Installed, the program keeps its lists and settings in the per-user data
# folder (~/.local/share/zorvane-picker); it finds the shipped skins in
# share/zorvane-picker/皮肤 and copies them into the user's 皮肤/ when it makes
# that folder.
include(GNUInstallDirs)

foreach(program zorvane-picker zorvane-picker-batch)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # Made with the program (src/shell/app), from the table --help uses.
    install(FILES ${PROJECT_BINARY_DIR}/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/skins/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zorvane-picker/皮肤
        FILES_MATCHING PATTERN "*.qss")
install(FILES ${PROJECT_SOURCE_DIR}/data/zorvane-picker.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/zorvane-picker.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Every size scripts/render-icons.sh renders.
file(GLOB icons CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/zorvane-picker-*.png)
foreach(icon IN LISTS icons)
  string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME zorvane-picker.png)
endforeach()

# What software centres show: made from a template that takes the version.
configure_file(${PROJECT_SOURCE_DIR}/data/com.zorvane.picker.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/data/com.zorvane.picker.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/com.zorvane.picker.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian's documents for the package: the licence in machine-readable form
# and the change log, whose entry takes the version and the release date.
execute_process(COMMAND date -u -R -d ${ZORVANE_RELEASE_DATE}
                OUTPUT_VARIABLE ZORVANE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${PROJECT_BINARY_DIR}/data/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/data/changelog.gz
    COMMAND gzip -9nkf changelog
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/data
    DEPENDS ${PROJECT_BINARY_DIR}/data/changelog)
add_custom_target(changelog DEPENDS ${PROJECT_BINARY_DIR}/data/changelog.gz)
foreach(program zorvane-picker zorvane-picker-batch)
  if(TARGET ${program})
    add_dependencies(${program} changelog)
  endif()
endforeach()
set(ZORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zorvane-picker)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${PROJECT_BINARY_DIR}/data/changelog.gz
        DESTINATION ${ZORVANE_DOC_DIR})
