# The progress dialog. Its template, banner and the program icon are in ProgressDialog.rc,
# which the program's main resource script includes; a static library cannot carry
# resources, so a test executable that opens the dialog compiles QUAYSAIL_PROGRESSDIALOG_RC
# (with the question dialogs' templates and the string table) itself.
if(WIN32)
  add_library(quaysail_progressdialog STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CMarlinFileCopyDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MemoryDC.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaintDC.cpp)
  target_include_directories(quaysail_progressdialog PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_progressdialog PUBLIC quaysail_dialogs quaysail_dialogframework quaysail_texts
                        quaysail_optioncreator quaysail_engine quaysail_apputil comctl32 gdi32 user32)
  set(QUAYSAIL_PROGRESSDIALOG_RC ${CMAKE_CURRENT_LIST_DIR}/ProgressDialog.rc CACHE INTERNAL
      "progress dialog template, banner and program icon")
endif()
