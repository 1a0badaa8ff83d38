# Support code for the main window: local configuration, port list, help.
target_sources(vyr_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/help.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_${VYR_PLATFORM}.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_list.cpp
)
