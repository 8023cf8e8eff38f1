# cmake --install: the program, the libraries, the program directory, the
# library's interface headers and the CMake package Halvex, whose target
# Halvex::halvex brings the run-time and forms layers and the Qt services.
include(CMakePackageConfigHelpers)

set_target_properties(oh_runtime PROPERTIES EXPORT_NAME runtime INSTALL_RPATH "$ORIGIN")
set_target_properties(oh_forms PROPERTIES EXPORT_NAME forms INSTALL_RPATH "$ORIGIN")
set_target_properties(halvex PROPERTIES INSTALL_RPATH "$ORIGIN")
set(oh_exported oh_runtime oh_forms halvex)
set(OH_HAS_QT OFF)
if(TARGET oh_forms_qt)
  set(OH_HAS_QT ON)
  set_target_properties(oh_forms_qt PROPERTIES EXPORT_NAME forms_qt INSTALL_RPATH "$ORIGIN")
  list(APPEND oh_exported oh_forms_qt)
  # A host links Halvex::halvex alone: the Qt services of the forms layer
  # come with it (the library itself links no Qt).
  target_link_libraries(halvex INTERFACE $<INSTALL_INTERFACE:Halvex::forms_qt>)
endif()
install(TARGETS ${oh_exported} EXPORT HalvexTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(TARGET orvelo)
  install(TARGETS orvelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/orvelo.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/orvelo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/progdir/ DESTINATION ${OH_INSTALL_PROGDIR})
# The wizard's help holds the pages of the library's dialogs too (as the
# program directory of the build does).
foreach(language ${OH_HELP_LANGUAGES})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/progdir/help/mirva_${language}/
    DESTINATION ${OH_INSTALL_PROGDIR}/help/Orvelo_${language})
endforeach()

# The interface headers keep their paths from the source root.
set(oh_public_headers
  halvex/interface/enums.h halvex/interface/dialog_enums.h halvex/interface/layout_types.h
  halvex/services/cls_valmor.h halvex/services/folder_browser.h halvex/services/private_settings.h
  halvex/services/input_checks.h
  halvex/dialogs/cls_show_dialog.h halvex/dialogs/c_common_dialog.h halvex/dialogs/g_common_dialog.h
  halvex/dialogs/c_memory.h halvex/dialogs/instan_graphic.h halvex/dialogs/common_folder_dialog.h
  halvex/dialogs/std_font.h
  halvex/settings/setting_class.h halvex/settings/settings_files.h halvex/settings/cls_inerface_setting.h
  halvex/settings/cls_geo_graphic.h halvex/settings/cls_draw_chart.h halvex/settings/host_objects.h
  platform/chart/chart_backend.h)
foreach(header ${oh_public_headers})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${OH_INSTALL_INCLUDEDIR}/${folder})
endforeach()
foreach(layer platform/runtime platform/forms platform/forms/qt)
  file(GLOB layer_headers ${PROJECT_SOURCE_DIR}/${layer}/*.h)
  install(FILES ${layer_headers} DESTINATION ${OH_INSTALL_INCLUDEDIR}/${layer})
endforeach()

set(oh_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Halvex)
install(EXPORT HalvexTargets NAMESPACE Halvex:: DESTINATION ${oh_package_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/HalvexConfig.cmake.in
  ${CMAKE_BINARY_DIR}/HalvexConfig.cmake INSTALL_DESTINATION ${oh_package_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/HalvexConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/HalvexConfig.cmake ${CMAKE_BINARY_DIR}/HalvexConfigVersion.cmake
  DESTINATION ${oh_package_dir})
