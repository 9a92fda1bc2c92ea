# The disk-cache service's messages and the copy tool's client of them. The service
# program links the same library, so both ends share one definition of every layout.
add_library(quaysail_serviceclient STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ServiceProtocol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServiceCommandClient.cpp)
target_include_directories(quaysail_serviceclient PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quaysail_serviceclient PUBLIC quaysail_diskcachesetting quay_pipe quay_common)
