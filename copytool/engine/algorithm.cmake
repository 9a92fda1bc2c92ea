# The copy algorithm: renames, enumeration, free-space check, buffer pool, and the reader
# and writer threads that stream a job through it. quaysail_engine gathers every engine
# library, for programs that run real copies.
if(WIN32)
  add_library(quaysail_algorithm STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CreateFolderLike.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCopyAlgorithmMultiThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCopyReaderThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCopyThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCopyThreadContext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCopyWriterThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WrittenDestinations.cpp)
  target_include_directories(quaysail_algorithm PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_algorithm PUBLIC quaysail_core quaysail_readwrite quaysail_buffers
                        quaysail_enumeration quaysail_exceptions quaysail_items quaysail_apputil quay_thread
                        quay_common)

  add_library(quaysail_engine INTERFACE)
  target_link_libraries(quaysail_engine INTERFACE quaysail_items quaysail_exceptions quaysail_displaystatus
                        quaysail_buffers quaysail_enumeration quaysail_readwrite quaysail_core quaysail_algorithm)
endif()
