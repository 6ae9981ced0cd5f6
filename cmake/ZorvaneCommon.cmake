# Flags every target of the project shares.
add_library(zorvane_common INTERFACE)
target_compile_features(zorvane_common INTERFACE cxx_std_20)
target_compile_options(zorvane_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(zorvane_common INTERFACE
    QT_USE_QSTRINGBUILDER
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH)
target_include_directories(zorvane_common INTERFACE ${PROJECT_SOURCE_DIR}/src)

# The version as a header, so that only the files that show it build again
# when it changes.
configure_file(${PROJECT_SOURCE_DIR}/cmake/zorvane_version.h.in ${PROJECT_BINARY_DIR}/generated/zorvane_version.h)
target_include_directories(zorvane_common INTERFACE ${PROJECT_BINARY_DIR}/generated)
