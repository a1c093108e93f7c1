# Install rules of the tool SDK (component "sdk"): the public headers, the
# archive (and one more with the Qt window helpers), a CMake package
# (find_package(LumibenchToolSDK), targets Lumibench::ToolSDK and
# Lumibench::ToolSDKWidgets), a pkg-config file (lumibench-tool-sdk) and the
# Python module. Installing the rest of the program is not done here.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(LUMIBENCH_SDK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/LumibenchToolSDK)

# Tools include "sdk/...", "model/...", "photometry/..." and "diagrams/...":
# every header of those folders is public.
foreach(folder sdk model photometry diagrams)
  if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/src/${folder})
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/src/${folder}/
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumibench/${folder}
            COMPONENT sdk
            FILES_MATCHING PATTERN "*.h")
  endif()
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/src/sdk/include/sdk/sdk_version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumibench/sdk COMPONENT sdk)

install(TARGETS lumibench_tool_sdk lumibench_tool_sdk_widgets EXPORT LumibenchToolSDKTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT sdk)
# A stripped install (cpack, cmake --install --strip) leaves the archives as
# Debian's dh_strip leaves static libraries: without debug information (most
# of their size), with every symbol a tool links against.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(archive lumibench_tool_sdk lumibench_tool_sdk_widgets)
      set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/lib\${archive}.a\")
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --enable-deterministic-archives \"\${file}\"
                      RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR \"could not strip \${file}\")
      endif()
    endforeach()
  endif()" COMPONENT sdk)
install(EXPORT LumibenchToolSDKTargets
        NAMESPACE Lumibench::
        DESTINATION ${LUMIBENCH_SDK_CMAKE_DIR}
        COMPONENT sdk)
write_basic_package_version_file(
  ${CMAKE_BINARY_DIR}/sdk-package/LumibenchToolSDKConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk-package/LumibenchToolSDKConfigVersion.cmake
        DESTINATION ${LUMIBENCH_SDK_CMAKE_DIR} COMPONENT sdk)

# The example tool's sources, as the package's examples.
install(FILES ${CMAKE_SOURCE_DIR}/tools/example/CMakeLists.txt ${CMAKE_SOURCE_DIR}/tools/example/main.cpp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/liblumibench-tool-sdk-dev/examples COMPONENT sdk)

# The Python SDK (component python): the module where the distribution's
# python3 finds it, the example tool under the package's documents.
set(LUMIBENCH_PYTHON_DIR lib/python3/dist-packages CACHE STRING
    "Folder under the prefix for the Python module (Debian's dist-packages)")
if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/sdk/python)
  install(FILES ${CMAKE_SOURCE_DIR}/sdk/python/lumibench_tool.py
          DESTINATION ${LUMIBENCH_PYTHON_DIR} COMPONENT python)
  install(FILES ${CMAKE_SOURCE_DIR}/sdk/python/example_tool.py
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-lumibench-tool/examples COMPONENT python)
endif()

# The calculation and diagram libraries join the archive when this tree has
# them. Their folders are read after this one, so this runs once the whole
# tree is configured; the config file and the pkg-config file are written then,
# with whatever those libraries link besides this tree's own libraries.
function(lumibench_sdk_finish)
  include(GNUInstallDirs)
  set(LUMIBENCH_SDK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/LumibenchToolSDK)
  set(extra_packages "")
  set(extra_pkgconfig "")
  foreach(lib lumibench_photometry lumibench_diagrams)
    if(NOT TARGET ${lib})
      continue()
    endif()
    target_sources(lumibench_tool_sdk PRIVATE $<TARGET_OBJECTS:${lib}>)
    get_target_property(deps ${lib} LINK_LIBRARIES)
    foreach(dep IN LISTS deps)
      if(NOT dep OR dep MATCHES "^lumibench_" OR dep MATCHES "^\\$<")
        continue()
      endif()
      if(dep MATCHES "^Qt6::(.+)$")
        # The library's folder found that part of Qt for itself only.
        find_package(Qt6 REQUIRED COMPONENTS ${CMAKE_MATCH_1})
      endif()
      target_link_libraries(lumibench_tool_sdk PUBLIC ${dep})
      if(dep MATCHES "^Qt6::(.+)$")
        list(APPEND extra_packages "find_dependency(Qt6 COMPONENTS ${CMAKE_MATCH_1})")
        list(APPEND extra_pkgconfig "Qt6${CMAKE_MATCH_1}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES extra_packages)
  list(REMOVE_DUPLICATES extra_pkgconfig)
  list(JOIN extra_packages "\n" LUMIBENCH_SDK_EXTRA_DEPENDENCIES)
  list(JOIN extra_pkgconfig " " LUMIBENCH_SDK_EXTRA_PKGCONFIG)

  # The pkg-config file finds the prefix from where it lies, so that
  # "cmake --install --prefix" anywhere gives a working file.
  file(RELATIVE_PATH LUMIBENCH_SDK_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/LumibenchToolSDKConfig.cmake.in
                 ${CMAKE_BINARY_DIR}/sdk-package/LumibenchToolSDKConfig.cmake @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/lumibench-tool-sdk.pc.in
                 ${CMAKE_BINARY_DIR}/sdk-package/lumibench-tool-sdk.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/sdk-package/LumibenchToolSDKConfig.cmake
          DESTINATION ${LUMIBENCH_SDK_CMAKE_DIR} COMPONENT sdk)
  install(FILES ${CMAKE_BINARY_DIR}/sdk-package/lumibench-tool-sdk.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT sdk)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lumibench_sdk_finish)
