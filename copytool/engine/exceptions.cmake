# The engine's exception family: the questions it asks and the errors that end a job.
# The classes themselves are platform-free (the pipe records make and fill them, and are
# fuzzed natively); what looks at the file system and the token is Windows-only.
add_library(quaysail_exceptions STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionEncrypted.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionNotFreeSpace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionOverwrite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SluiceExceptionRetryFile.cpp)
target_include_directories(quaysail_exceptions PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../app)
if(WIN32)
  target_sources(quaysail_exceptions PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ElevationProbe.cpp)
  target_link_libraries(quaysail_exceptions PUBLIC quaysail_apputil advapi32)
else()
  # FileAttributeBlock, the attribute block's native stand-in.
  target_link_libraries(quaysail_exceptions PUBLIC quay_wire)
endif()
