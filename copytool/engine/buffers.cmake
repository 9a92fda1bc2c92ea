# The buffer pool of a copy run. The first-fit allocator and the queue record are plain
# arithmetic and data and build natively too; the pool memory and the locked wrapper
# are Windows pieces.
add_library(quaysail_bufferalloc STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BufferManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileBufferQueueData.cpp)
target_include_directories(quaysail_bufferalloc PUBLIC ${CMAKE_CURRENT_LIST_DIR})

if(WIN32)
  add_library(quaysail_buffers STATIC
    ${CMAKE_CURRENT_LIST_DIR}/VirtualAllocater.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CopyBufferManager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CopyBufferManagerSemaphoreLock.cpp)
  # copytool/app for the base exceptions (header-only use).
  target_include_directories(quaysail_buffers PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../app)
  target_link_libraries(quaysail_buffers PUBLIC quaysail_bufferalloc quay_common)
endif()
