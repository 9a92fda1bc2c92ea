# The engine's exception family: the questions it asks and the errors that end a job.
# The attribute blocks are the platform's, so this piece is Windows-only.
if(WIN32)
  add_library(quaysail_exceptions STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ElevationProbe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionEncrypted.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionNotFreeSpace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionOverwrite.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionRetryFile.cpp)
  target_include_directories(quaysail_exceptions PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_exceptions PUBLIC quaysail_apputil advapi32)
endif()
