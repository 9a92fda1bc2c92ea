# The disk-cache service's messages and the copy tool's client of them. The service
# program links the same libraries, so both ends share one definition of every layout.
#
# The messages and their record are platform-free: the native build has them too, for
# the fuzz targets of both ends' parsers.
add_library(quaysail_serviceprotocol STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DiskCacheSettingData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServiceProtocol.cpp)
target_include_directories(quaysail_serviceprotocol PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quaysail_serviceprotocol PUBLIC quay_common)
if(WIN32)
  add_library(quaysail_serviceclient STATIC ${CMAKE_CURRENT_LIST_DIR}/ServiceCommandClient.cpp)
  target_include_directories(quaysail_serviceclient PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_serviceclient PUBLIC quaysail_serviceprotocol quay_pipe quay_common advapi32)
endif()
