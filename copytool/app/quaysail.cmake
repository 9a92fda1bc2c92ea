# The copy tool's program: the framework's application and command-line classes, the
# start-up of the copy tool, and the executable Quaysail.exe with its resources.
if(NOT WIN32)
  return()
endif()

add_library(quaysail_appframework STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CWinApp.cpp)
target_include_directories(quaysail_appframework PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quaysail_appframework PUBLIC quay_common shell32 user32 kernel32)

add_library(quaysail_startup STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DllObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarlinFileCopyCommandLineInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CMarlinFileCopyApp.cpp)
target_include_directories(quaysail_startup PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quaysail_startup PUBLIC quaysail_appframework quaysail_progressdialog quaysail_engine
                      quaysail_apputil quaysail_notice quaysail_handoff quaysail_optionelevate quaysail_elevate quay_common
                      ole32 comctl32)

# The program's resource script, and what a target that compiles it needs: the folders
# its includes and files are found in, and the files it reads (the resource compiler
# reports no dependencies of its own). Test programs that open the dialogs use it too.
set(QUAYSAIL_PROGRAM_RC ${CMAKE_CURRENT_LIST_DIR}/../Quaysail.rc CACHE INTERNAL "the copy tool's resource script")
function(quaysail_program_resources target)
  set(copytool ${CMAKE_SOURCE_DIR}/copytool)
  target_include_directories(${target} PRIVATE ${copytool} ${copytool}/ui)
  set_property(SOURCE ${QUAYSAIL_PROGRAM_RC} APPEND PROPERTY OBJECT_DEPENDS
    ${copytool}/Quaysail.manifest ${copytool}/ui/res/Quaysail.ico ${copytool}/ui/res/ProgressBanner.bmp
    ${copytool}/ui/ProgressDialog.rc ${copytool}/ui/ProgressDialogIds.h ${copytool}/ui/Dialogs.rc
    ${copytool}/ui/DialogIds.h ${copytool}/ui/Strings.rc ${copytool}/ui/StringIds.h)
endfunction()

add_executable(Quaysail WIN32 ${CMAKE_CURRENT_LIST_DIR}/QuaysailMain.cpp ${QUAYSAIL_PROGRAM_RC})
target_link_libraries(Quaysail PRIVATE quaysail_startup)
target_link_options(Quaysail PRIVATE -municode)
set_target_properties(Quaysail PROPERTIES OUTPUT_NAME Quaysail)
quaysail_program_resources(Quaysail)
# The notice library is built beside the program, which loads it from its own folder.
add_dependencies(Quaysail Beaconry)
quay_version_resource(Quaysail DESCRIPTION "Tidewell 高速ファイルコピー" FILENAME Quaysail.exe TYPE APP)
