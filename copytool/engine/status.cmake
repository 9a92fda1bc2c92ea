# The display status and its speed and time-left arithmetic: platform-free, so the
# native build tests it under the sanitizers too.
add_library(quaysail_displaystatus STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ReadWriteData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SluiceCoreDisplayStatus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SluiceCoreDisplayStatusLapTime.cpp)
# Exception.h, the root of the exception family a status may carry, is platform-free.
target_include_directories(quaysail_displaystatus PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../app)
