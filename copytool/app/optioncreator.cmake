# The option creators. They need the destination analysis and the disk-cache client, which
# are defined in folders configured after this one; target names are resolved when the
# build is generated, so linking them by name here is fine.
if(NOT WIN32)
  return()
endif()
add_library(quaysail_optioncreator STATIC ${CMAKE_CURRENT_LIST_DIR}/CreateSluiceOptionCmdLine.cpp)
target_include_directories(quaysail_optioncreator PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quaysail_optioncreator PUBLIC
  quaysail_apputil quaysail_option quaysail_device quaysail_serviceclient)

# The elevated instance's creator, which receives the option over the elevation pipe.
add_library(quaysail_optionelevate STATIC ${CMAKE_CURRENT_LIST_DIR}/CreateSluiceOptionElevateClient.cpp)
target_include_directories(quaysail_optionelevate PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quaysail_optionelevate PUBLIC quaysail_option quaysail_elevate)
