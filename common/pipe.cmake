# The named-pipe channel: both ends (the version handshake's bytes are in quay_wire). The
# 32-bit shell extension builds it too. The overlapped mechanics are a library of their
# own, which the notice library's client shares without the rest of the channel.
if(WIN32)
  add_library(quay_overlappedpipe STATIC ${CMAKE_CURRENT_LIST_DIR}/OverlappedPipe.cpp)
  target_link_libraries(quay_overlappedpipe PUBLIC quay_common)

  add_library(quay_pipe STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandBase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandServer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandClient.cpp)
  target_link_libraries(quay_pipe PUBLIC quay_overlappedpipe quay_common advapi32)
endif()
