# Where `cmake --install` puts Lumibench under the prefix (GNU layout):
#   bin/                       the lumibench program and every command-line program of cli/
#   libexec/lumibench/         the bundled tool programs and their icons
#   share/lumibench/           help pages, welcome page, agreement, pictures, samples
#   share/man/man1/            a page for each program in bin/
#   share/applications, share/mime/packages, share/icons/hicolor, share/metainfo
#   <sysconf>/xdg/lumibench/   machine.ini naming the bundled tools, and machine.d/
# The program finds share/lumibench relative to itself, so the whole prefix can
# be moved; the machine config names the tools by absolute path, that of the
# prefix installed into (cmake --install --prefix, else CMAKE_INSTALL_PREFIX).
include(GNUInstallDirs)

# Install rules without a component of their own belong to the program's
# package; the tool SDK (component sdk) and the Python SDK (python) are
# packaged apart (cmake/LumibenchPackage.cmake).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME lumibench)

set(LUMIBENCH_INSTALL_TOOLDIR ${CMAKE_INSTALL_LIBEXECDIR}/lumibench)
set(LUMIBENCH_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/lumibench)
# The prefix /usr keeps its configuration in /etc; other prefixes in their own
# etc/, which then moves with the prefix (a staging DESTDIR included).
if(CMAKE_INSTALL_FULL_SYSCONFDIR STREQUAL "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_SYSCONFDIR}")
  set(LUMIBENCH_INSTALL_CONFDIR ${CMAKE_INSTALL_SYSCONFDIR}/xdg/lumibench)
else()
  set(LUMIBENCH_INSTALL_CONFDIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/lumibench)
endif()
# The desktop and AppStream identity of the application, and the release
# that the AppStream data and the package's changelog name.
set(LUMIBENCH_APP_ID org.lumibench.Lumibench)
set(LUMIBENCH_HOMEPAGE "https://lumibench.example.org" CACHE STRING
    "Home page named by the package and the AppStream data (screenshots under screenshots/)")
set(LUMIBENCH_RELEASE_DATE "2026-12-07")
set(LUMIBENCH_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")

# lumibench_bundled_tool(TARGET target DISPLAY caption TIP tooltip TYPE n MAXFILES n
#                        [ICON file] [TEST_ONLY])
# Registers a tool program built here: the build tree's machine.ini lists it
# by its built path, and it is installed into libexec/lumibench and listed
# there by the installed machine.ini. ICON is a picture file of the tool's
# folder, copied beside the program and named by ToolIconFile. TEST_ONLY
# keeps a tool for tests out of both catalogues and out of the install (a row
# of tools/machine_config naming it is dropped too). Tools are numbered in the
# order they register, after the rows of tools/machine_config.
function(lumibench_bundled_tool)
  cmake_parse_arguments(T "TEST_ONLY" "TARGET;DISPLAY;TIP;TYPE;MAXFILES;ICON" "" ${ARGN})
  foreach(required TARGET DISPLAY TYPE MAXFILES)
    if(NOT DEFINED T_${required})
      message(FATAL_ERROR "lumibench_bundled_tool: ${required} is missing")
    endif()
  endforeach()
  # '|' separates the fields of a row.
  foreach(field DISPLAY TIP)
    if(T_${field} MATCHES "[|;]")
      message(FATAL_ERROR "lumibench_bundled_tool(${T_TARGET}): ${field} may not hold '|' or ';'")
    endif()
  endforeach()
  set(icon "")
  if(T_ICON)
    get_filename_component(icon ${T_ICON} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(test_only "")
  if(T_TEST_ONLY)
    set(test_only "test")
  endif()
  set_property(GLOBAL APPEND PROPERTY LUMIBENCH_REGISTERED_TOOLS
    "${T_TARGET}|${T_DISPLAY}|${T_TIP}|${T_TYPE}|${T_MAXFILES}|${icon}|${test_only}")
endfunction()

# Rows of both kinds as "target|display|tip|type|maxfiles|icon|test": the
# rows of tools/machine_config first (their icon field, when given, is a file
# of the tool's source folder), then the registered tools.
function(lumibench_tool_rows out)
  get_property(listed GLOBAL PROPERTY LUMIBENCH_BUNDLED_TOOLS)
  get_property(registered GLOBAL PROPERTY LUMIBENCH_REGISTERED_TOOLS)
  set(rows)
  set(seen)
  foreach(row IN LISTS registered)
    string(REGEX MATCH "^[^|]*" target "${row}")
    list(APPEND seen ${target})
  endforeach()
  foreach(row IN LISTS listed)
    string(REPLACE "|" ";" fields "${row}")
    list(LENGTH fields count)
    list(GET fields 0 target)
    # A tool that registers itself and still has its old row is listed once
    # (or not at all, when it is for tests only).
    if(target IN_LIST seen)
      continue()
    endif()
    set(icon "")
    if(count GREATER 5)
      list(GET fields 5 icon)
      if(icon AND TARGET ${target})
        get_target_property(tool_source ${target} SOURCE_DIR)
        get_filename_component(icon ${icon} ABSOLUTE BASE_DIR ${tool_source})
      endif()
    endif()
    list(GET fields 1 display)
    list(GET fields 2 tip)
    list(GET fields 3 type)
    list(GET fields 4 maxfiles)
    list(APPEND rows "${target}|${display}|${tip}|${type}|${maxfiles}|${icon}|")
  endforeach()
  list(APPEND rows ${registered})
  set(${out} ${rows} PARENT_SCOPE)
endfunction()

# One catalogue entry per row whose target exists, numbered from 1 in row
# order, tools for tests left out. `where` is "build" (built paths) or
# "install" (the folder filled in when installing).
function(lumibench_catalogue_text rows where out)
  set(text "[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\n")
  set(k 0)
  foreach(row IN LISTS rows)
    string(REPLACE "|" ";" fields "${row}")
    list(GET fields 0 target)
    list(GET fields 1 display)
    list(GET fields 2 tip)
    list(GET fields 3 type)
    list(GET fields 4 maxfiles)
    list(GET fields 5 icon)
    list(GET fields 6 test_only)
    if(NOT TARGET ${target} OR test_only)
      continue()
    endif()
    math(EXPR k "${k} + 1")
    if(where STREQUAL "install")
      set(path @LUMIBENCH_TOOL_DIR@)
    else()
      set(path $<TARGET_FILE_DIR:${target}>)
    endif()
    string(APPEND text
      "ToolActName${k}=$<TARGET_FILE_NAME:${target}>\n"
      "ToolPath${k}=${path}\n"
      "ToolDisplayName${k}=${display}\n"
      "ToolTip${k}=${tip}\n"
      "ToolType${k}=${type}\n"
      "ToolMaxFiles${k}=${maxfiles}\n")
    if(icon)
      get_filename_component(icon_name ${icon} NAME)
      string(APPEND text "ToolIconFile${k}=${icon_name}\n")
    endif()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Called once the whole tree is configured: tool folders and cli/ folders
# are read after this file, and others may add rows until the end.
function(lumibench_finish_install_rules)
  lumibench_tool_rows(rows)

  # The build tree's catalogue beside the programs (found by the host there).
  lumibench_catalogue_text("${rows}" build build_text)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/bin/machine.ini
       CONTENT "; Generated by the build: the tools of this build tree.\n${build_text}")

  # Tool programs and their icons.
  set(icon_copies)
  foreach(row IN LISTS rows)
    string(REPLACE "|" ";" fields "${row}")
    list(GET fields 0 target)
    list(GET fields 5 icon)
    list(GET fields 6 test_only)
    if(NOT TARGET ${target} OR test_only)
      continue()
    endif()
    if(icon)
      # Beside the built program too, where the build tree's catalogue finds it.
      get_filename_component(icon_name ${icon} NAME)
      get_target_property(tool_dir ${target} RUNTIME_OUTPUT_DIRECTORY)
      if(NOT tool_dir)
        set(tool_dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
      endif()
      add_custom_command(OUTPUT ${tool_dir}/${icon_name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${icon} ${tool_dir}/${icon_name}
        DEPENDS ${icon} VERBATIM)
      list(APPEND icon_copies ${tool_dir}/${icon_name})
    endif()
    install(TARGETS ${target} RUNTIME DESTINATION ${LUMIBENCH_INSTALL_TOOLDIR})
    if(icon)
      install(FILES ${icon} DESTINATION ${LUMIBENCH_INSTALL_TOOLDIR})
    endif()
  endforeach()

  if(icon_copies)
    list(REMOVE_DUPLICATES icon_copies)
    add_custom_target(lumibench_tool_icons ALL DEPENDS ${icon_copies})
  endif()

  # The tools' folder is written when installing, so that it follows the
  # prefix given then (cmake --install --prefix) as well as the configured one.
  lumibench_catalogue_text("${rows}" install installed_text)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/install/machine.ini.in CONTENT
"; The tools installed with Lumibench, read by the host at start-up.
; Tools of other packages add their entries as *.ini files in machine.d/
; beside this file (read in name order after it, later values winning)
; instead of editing it; see docs/tool-catalogue.md.
${installed_text}")
  install(CODE "
    set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
    set(tool_dir \"${LUMIBENCH_INSTALL_TOOLDIR}\")
    if(NOT IS_ABSOLUTE \"\${tool_dir}\")
      set(tool_dir \"\${prefix}/\${tool_dir}\")
    endif()
    set(conf_dir \"${LUMIBENCH_INSTALL_CONFDIR}\")
    if(NOT IS_ABSOLUTE \"\${conf_dir}\")
      set(conf_dir \"\${prefix}/\${conf_dir}\")
    endif()
    file(READ \"${CMAKE_BINARY_DIR}/install/machine.ini.in\" text)
    string(REPLACE \"@LUMIBENCH_TOOL_DIR@\" \"\${tool_dir}\" text \"\${text}\")
    set(target \"\$ENV{DESTDIR}\${conf_dir}/machine.ini\")
    message(STATUS \"Installing: \${target}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${conf_dir}\")
    file(WRITE \"\${target}\" \"\${text}\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${target}\")
  ")
  install(DIRECTORY DESTINATION ${LUMIBENCH_INSTALL_CONFDIR}/machine.d)

  # Programs: lumibench itself and every program of a cli/ folder, each with
  # its manual page when data/man has one.
  set(programs)
  if(TARGET lumibench)
    list(APPEND programs lumibench)
  endif()
  file(GLOB cli_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/cli/*)
  foreach(dir IN LISTS cli_dirs)
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
      foreach(target IN LISTS targets)
        get_target_property(kind ${target} TYPE)
        # LUMIBENCH_BUILD_ONLY: a generator the build runs (shell completion).
        get_target_property(build_only ${target} LUMIBENCH_BUILD_ONLY)
        if(kind STREQUAL "EXECUTABLE" AND NOT build_only)
          list(APPEND programs ${target})
        endif()
      endforeach()
    endif()
  endforeach()
  find_program(LUMIBENCH_GZIP gzip)
  set(pages)
  foreach(program IN LISTS programs)
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    get_target_property(name ${program} OUTPUT_NAME)
    if(NOT name)
      set(name ${program})
    endif()
    set(page ${CMAKE_SOURCE_DIR}/data/man/${name}.1)
    if(NOT EXISTS ${page})
      continue()
    endif()
    if(LUMIBENCH_GZIP)
      # Packed as the distribution packs them (-n: no name or time stamp).
      set(packed ${CMAKE_BINARY_DIR}/man/${name}.1.gz)
      add_custom_command(OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E copy ${page} ${CMAKE_BINARY_DIR}/man/${name}.1
        COMMAND ${LUMIBENCH_GZIP} -9nf ${CMAKE_BINARY_DIR}/man/${name}.1
        DEPENDS ${page} VERBATIM)
      list(APPEND pages ${packed})
      install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
      install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endforeach()
  if(pages)
    add_custom_target(lumibench_man_pages ALL DEPENDS ${pages})
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lumibench_finish_install_rules)

# The bundled files the host reads from its data folder. The pictures are
# drawn into the build's program folder by the dialogs' build.
set(data_root ${CMAKE_SOURCE_DIR}/data)
install(DIRECTORY ${data_root}/help DESTINATION ${LUMIBENCH_INSTALL_DATADIR})
install(DIRECTORY ${data_root}/welcome/ DESTINATION ${LUMIBENCH_INSTALL_DATADIR})
install(FILES ${data_root}/licence/Lumibench_PE-License.rtf DESTINATION ${LUMIBENCH_INSTALL_DATADIR})
install(FILES ${CMAKE_BINARY_DIR}/bin/Lumibench_PE-Banner.jpg ${CMAKE_BINARY_DIR}/bin/Lumibench_PE-Splash.jpg
        DESTINATION ${LUMIBENCH_INSTALL_DATADIR} OPTIONAL)
install(DIRECTORY ${data_root}/samples DESTINATION ${LUMIBENCH_INSTALL_DATADIR}
        PATTERN ".*" EXCLUDE)

# Desktop integration.
install(FILES ${data_root}/desktop/${LUMIBENCH_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data_root}/desktop/lumibench.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
# File managers draw thumbnails of those types with lumibench-thumbnail.
install(FILES ${data_root}/desktop/lumibench.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(DIRECTORY ${data_root}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
configure_file(${data_root}/desktop/${LUMIBENCH_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install/${LUMIBENCH_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/${LUMIBENCH_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
