# The reader and the writer of one file: source file to queued pool buffers and back to
# the destination file.
if(WIN32)
  add_library(quaysail_readwrite STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CopyItemTransfer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DestinationReplacement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileInformationQuery.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CopyItemReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CopyItemWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReadOnlyClearance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SeenSourceFile.cpp)
  target_include_directories(quaysail_readwrite PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_readwrite PUBLIC quaysail_buffers quaysail_exceptions quaysail_apputil quay_common)
endif()
