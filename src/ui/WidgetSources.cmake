# Widget implementations of the service interfaces: the real windows and
# dialogs the program passes where tests pass scripted fakes.
add_library(marvik_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ProgressWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/ProgressWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxPrompts.cpp ${CMAKE_CURRENT_LIST_DIR}/MessageBoxPrompts.h
  ${CMAKE_CURRENT_LIST_DIR}/QtFileDialogs.cpp ${CMAKE_CURRENT_LIST_DIR}/QtFileDialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/DoorInfoWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/DoorInfoWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/OkButtonRow.cpp ${CMAKE_CURRENT_LIST_DIR}/OkButtonRow.h
  ${CMAKE_CURRENT_LIST_DIR}/WaitLoop.cpp ${CMAKE_CURRENT_LIST_DIR}/WaitLoop.h
  ${CMAKE_CURRENT_LIST_DIR}/DialogOwner.cpp ${CMAKE_CURRENT_LIST_DIR}/DialogOwner.h
  ${CMAKE_CURRENT_LIST_DIR}/WindowPlacement.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowPlacement.h
  ${CMAKE_CURRENT_LIST_DIR}/WindowMemory.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowMemory.h
)
target_link_libraries(marvik_ui PUBLIC marvik_uicore Qt6::Widgets)
