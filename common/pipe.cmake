# The named-pipe channel: both ends (the version handshake's bytes are in quay_wire). The
# 32-bit shell extension builds it too.
if(WIN32)
  add_library(quay_pipe STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandBase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandServer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandClient.cpp)
  target_link_libraries(quay_pipe PUBLIC quay_common advapi32)
endif()
