# The enumeration: lists a job's sources, their folders, files and named streams into item
# trees before anything is copied.
#
# The stream list read from a file's backup stream parses bytes the engine did not make,
# so it is platform-free and also built natively, for its fuzz target; on Windows it
# brings the platform's backup stream with it.
add_library(quaysail_streamlist STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ReadStreamList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamData.cpp)
target_include_directories(quaysail_streamlist PUBLIC ${CMAKE_CURRENT_LIST_DIR})
if(WIN32)
  target_sources(quaysail_streamlist PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CBackupStream.cpp)
  target_link_libraries(quaysail_streamlist PUBLIC quay_common)
endif()

if(WIN32)
  add_library(quaysail_enumeration STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CFindEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EnumerateSources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FindCopyItem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FindCopyItemCoreNTFSDataStream2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FindCopyItemCoreRoot2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FindCopyItemCoreSubFolder2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderFacts.cpp)
  target_include_directories(quaysail_enumeration PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_enumeration PUBLIC quaysail_streamlist quaysail_items quaysail_apputil
                        quaysail_exceptions quay_common shlwapi)
endif()
