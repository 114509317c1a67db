# Each subsystem folder is one static library; its sources are whatever .cpp files the folder and its sub-folders
# (one per concern) hold, so adding a unit or a sub-folder needs no edit here. The libraries compile unit by unit in
# every configuration, also where the tests and examples compile in unity batches: so the test build compiles each
# unit as an application's build does (tests/plain_build checks that it does), and a unit that leans on what another
# unit of its batch included fails there too. A folder's resources
# (resources/<name>.rc) travel with the library as an interface source, because resource objects inside a static
# library are never pulled in by the linker.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BC_COMPONENT_SETS "" CACHE INTERNAL "")

include(${CMAKE_CURRENT_LIST_DIR}/CompileSettings.cmake)

# add_component_set(name [DEPENDS sets...] [SYSTEM libs...])
function(add_component_set name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS;SYSTEM")
  set(links ${arg_DEPENDS} ${arg_SYSTEM})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.h)
  if(NOT sources)
    # A set still being written is an interface library, so that dependants link unchanged.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${links})
    target_compile_features(${name} INTERFACE cxx_std_20)
    target_include_directories(${name} INTERFACE
      $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/browsercomponents>)
  else()
    add_library(${name} STATIC ${sources} ${headers})
    set_target_properties(${name} PROPERTIES UNITY_BUILD OFF)
    target_link_libraries(${name} PUBLIC ${links})
    # The headers are C++20, also for an application that compiles them against the installed sets.
    target_compile_features(${name} PUBLIC cxx_std_20)
    target_include_directories(${name} PUBLIC
      $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/browsercomponents>)
    bc_apply_warnings(${name})
    bc_precompile_headers(${name} library)
    bc_compile_cold_sources(${sources})
  endif()
  add_library(BrowserComponents::${name} ALIAS ${name})
  set(rc ${CMAKE_SOURCE_DIR}/resources/${name}.rc)
  if(EXISTS ${rc})
    target_sources(${name} INTERFACE
      $<BUILD_INTERFACE:${rc}>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_DATADIR}/browsercomponents/resources/${name}.rc>)
  endif()
  # Headers keep their place under the set's folder, so an include names the same path installed or not.
  foreach(header ${headers})
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${header})
    get_filename_component(folder ${relative} DIRECTORY)
    install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/browsercomponents/${folder})
    set_property(GLOBAL APPEND PROPERTY BC_INSTALLED_HEADERS ${relative})
  endforeach()
  set(BC_COMPONENT_SETS ${BC_COMPONENT_SETS} ${name} CACHE INTERNAL "")
endfunction()

function(install_component_sets)
  install(TARGETS ${BC_COMPONENT_SETS} EXPORT BrowserComponentsTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/browsercomponents/resources
    PATTERN .gitattributes EXCLUDE)
  install(EXPORT BrowserComponentsTargets NAMESPACE BrowserComponents::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/BrowserComponents)
  configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/BrowserComponentsConfig.cmake.in
    ${CMAKE_BINARY_DIR}/BrowserComponentsConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/BrowserComponents)
  write_basic_package_version_file(${CMAKE_BINARY_DIR}/BrowserComponentsConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_BINARY_DIR}/BrowserComponentsConfig.cmake
    ${CMAKE_BINARY_DIR}/BrowserComponentsConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/BrowserComponents)
endfunction()

# The resource compiler reports no dependencies, so a changed image or template would leave stale resources in
# every program: each .rc of resources/ depends on all the other files there, in every folder that compiles it.
function(track_resource_files)
  file(GLOB rc_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
  file(GLOB all_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
  set(data_files ${all_files})
  if(rc_files)
    list(REMOVE_ITEM data_files ${rc_files})
  endif()
  if(rc_files AND data_files)
    set_source_files_properties(${rc_files} DIRECTORY ${ARGN} PROPERTIES OBJECT_DEPENDS "${data_files}")
  endif()
endfunction()
