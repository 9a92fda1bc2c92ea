# The copy tool's display texts. quaysail_textcore is the size, time and message-line
# arithmetic, platform-free so the native build tests it too; quaysail_texts loads and
# formats the string table and builds the date-time and error texts (Windows).
# The string table itself (Strings.rc) is included by the program's resource script;
# a test that loads the texts compiles QUAYSAIL_STRINGS_RC into its own executable.
add_library(quaysail_textcore STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MessageText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QuantityText.cpp)
target_include_directories(quaysail_textcore PUBLIC ${CMAKE_CURRENT_LIST_DIR})

set(QUAYSAIL_STRINGS_RC ${CMAKE_CURRENT_LIST_DIR}/Strings.rc CACHE INTERNAL "The copy tool's string table")

if(WIN32)
  add_library(quaysail_texts STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DisplayText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ErrorText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormatArgument.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrintfText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ResourceText.cpp)
  target_include_directories(quaysail_texts PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_texts PUBLIC quaysail_textcore quaysail_exceptions user32 kernel32)
endif()
