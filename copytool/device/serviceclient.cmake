# The disk-cache service's messages and the copy tool's client of them. The service
# program links the same library, so both ends share one definition of every layout.
# Included by this folder's CMakeLists.txt, or by service/ when that has not happened.
if(WIN32 AND NOT TARGET quaysail_serviceclient)
  add_library(quaysail_serviceclient STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ServiceProtocol.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServiceCommandClient.cpp)
  target_include_directories(quaysail_serviceclient PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_serviceclient PUBLIC quay_pipe quay_common)
  # DiskCacheSettingData is compiled once, in the device library, when there is one; a
  # program takes from that archive only the record's own object.
  if(TARGET quaysail_device)
    target_link_libraries(quaysail_serviceclient PUBLIC quaysail_device)
  else()
    target_sources(quaysail_serviceclient PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DiskCacheSettingData.cpp)
  endif()
endif()
