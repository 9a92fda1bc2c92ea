# The engine core: the observer pattern, the run's event channel and its window-message
# observer, the progress record with the reader's and the writer's cursors, and the core
# that runs a job on its engine thread. The copy algorithm itself is made through a
# factory, so this library links without it.
if(WIN32)
  add_library(quaysail_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Observable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCoreEvent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceCoreEventHandler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceStatus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SluiceStatusItemInfo.cpp)
  target_include_directories(quaysail_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_core PUBLIC quaysail_items quaysail_displaystatus quaysail_exceptions
                        quaysail_apputil quay_thread quay_common user32)
endif()
