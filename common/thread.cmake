# The one starter of every thread of the product.
if(WIN32)
  add_library(quay_thread STATIC ${CMAKE_CURRENT_LIST_DIR}/ThreadStart.cpp)
  target_link_libraries(quay_thread PUBLIC quay_common)
endif()
