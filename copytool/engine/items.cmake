# The copy item model: item records, the generic tree and the per-job list of item trees.
# Platform-free, so it is built natively as well and tested under the sanitizers.
add_library(quaysail_items STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CopyItemData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyItemsData.cpp)
target_include_directories(quaysail_items PUBLIC ${CMAKE_CURRENT_LIST_DIR})
