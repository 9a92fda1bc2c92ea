# The named-pipe channel: both ends and the version handshake. The 32-bit shell
# extension builds it too.
if(WIN32)
  add_library(quay_pipe STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandBase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandServer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PipeCommandClient.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProtocolVersion.cpp)
  target_link_libraries(quay_pipe PUBLIC quay_common advapi32)
endif()
