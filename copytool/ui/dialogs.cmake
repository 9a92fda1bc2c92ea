# The dialog framework (CDialog, CStatic, CTransparentStatic) and the question dialogs
# of the copy tool. The dialog templates are in Dialogs.rc, which the program's main
# resource script includes; a static library cannot carry resources, so a test
# executable that opens the dialogs compiles QUAYSAIL_DIALOGS_RC (and the string table)
# itself.
if(WIN32)
  add_library(quaysail_dialogframework STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CStatic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CTransparentStatic.cpp)
  target_include_directories(quaysail_dialogframework PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(quaysail_dialogframework PUBLIC quay_common comctl32 user32 gdi32)

  set(dialogs_sources
    ${CMAKE_CURRENT_LIST_DIR}/CQuestionDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CErrorDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/COverwriteFileDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/COverwriteFolderDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CWarningEncryptedDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuestionDialogParts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuestionDialogs.cpp)
  add_library(quaysail_dialogs STATIC ${dialogs_sources})
  target_link_libraries(quaysail_dialogs PUBLIC quaysail_dialogframework quaysail_texts quaysail_core
                        quaysail_exceptions quaysail_apputil)
  set(QUAYSAIL_DIALOGS_RC ${CMAKE_CURRENT_LIST_DIR}/Dialogs.rc CACHE INTERNAL "question dialog templates")
endif()
