# The copy option record lives with the copy tool's start-up code but is platform-free,
# so it gets a library of its own that the native build can test; quaysail_apputil
# passes it on to the Windows pieces.
add_library(quaysail_option STATIC ${CMAKE_CURRENT_LIST_DIR}/../app/SluiceOption.cpp)
target_include_directories(quaysail_option PUBLIC ${CMAKE_CURRENT_LIST_DIR}/../app)
if(TARGET quaysail_apputil)
  target_link_libraries(quaysail_apputil PUBLIC quaysail_option)
endif()
