# The value encoding of every pipe message and the version handshake's bytes.
# Platform-free, so it is also built natively and tested (and fuzzed) there under the
# sanitizers.
add_library(quay_wire STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CDataConverter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDataParser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProtocolVersion.cpp)
target_include_directories(quay_wire PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quay_common INTERFACE quay_wire)
