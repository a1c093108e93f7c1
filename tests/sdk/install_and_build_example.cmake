# Installs the tool SDK into an empty prefix and builds tools/example out of
# tree against it, as a tool author would; then a tool on the installed Qt
# window helpers, a non-Qt tool through pkg-config, and every public header on
# its own.
# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DGENERATOR=... -P this
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component sdk)

# Only the public folders are installed: nothing of the host's internals.
file(GLOB folders RELATIVE ${prefix}/include/lumibench ${prefix}/include/lumibench/*)
foreach(folder IN LISTS folders)
  if(NOT folder MATCHES "^(sdk|model|photometry|diagrams)$")
    message(FATAL_ERROR "internal folder installed: include/lumibench/${folder}")
  endif()
endforeach()

set(launcher)
find_program(ccache ccache)
if(ccache)
  set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${ccache})
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tools/example -B ${WORK_DIR}/example -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release ${launcher})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/example)
# Started by hand instead of by the host, it says so and ends with status 2.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${WORK_DIR}/example/Tool_Example
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err TIMEOUT 20)
if(NOT status EQUAL 2 OR NOT err MATCHES "Not started by the host")
  message(FATAL_ERROR "the example built out of tree did not run as expected (${status}): ${err}")
endif()

# A tool with a Qt window on the installed window helpers: started by hand, it
# warns through StartToolOrWarn and ends with status 2.
file(WRITE ${WORK_DIR}/window_tool/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.25)
project(WindowTool LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(LumibenchToolSDK REQUIRED)
add_executable(Tool_Window main.cpp)
target_link_libraries(Tool_Window PRIVATE Lumibench::ToolSDKWidgets)
]=])
file(WRITE ${WORK_DIR}/window_tool/main.cpp [=[
#include <QApplication>
#include <QLabel>
#include "sdk/data_tool.h"
#include "sdk/tool_start.h"
#include "sdk/window_tool.h"
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto session = lumibench::StartToolOrWarn(argc, argv, "Tool_Window");
    if (!session) return 2;
    QLabel window(QString::number(lumibench::ReadHandedData(*session).size()));
    lumibench::WindowToolDriver driver(*session, window, lumibench::WindowToolHooks{});
    return app.exec();
}
]=])
run(${CMAKE_COMMAND} -S ${WORK_DIR}/window_tool -B ${WORK_DIR}/window_tool/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release ${launcher})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/window_tool/build)
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${WORK_DIR}/window_tool/build/Tool_Window
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err TIMEOUT 20)
if(NOT status EQUAL 2 OR NOT err MATCHES "Not started by the host")
  message(FATAL_ERROR "the window tool built on the installed helpers did not run as expected (${status}): ${err}")
endif()

# A tool without Qt, built with pkg-config alone.
file(WRITE ${WORK_DIR}/plain_tool.cpp [=[
#include "sdk/tool_session.h"
#include "sdk/sdk_version.h"
#include <cstdio>
int main(int argc, char** argv) {
    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, "Tool_Plain", &error);
    std::printf("%s %s\n", LUMIBENCH_TOOL_SDK_VERSION, session ? "started" : error.c_str());
    return session ? 0 : 2;
}
]=])
execute_process(COMMAND pkg-config --cflags --libs lumibench-tool-sdk
                RESULT_VARIABLE status OUTPUT_VARIABLE flags ERROR_VARIABLE err
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know the SDK: ${err}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(c++ ${WORK_DIR}/plain_tool.cpp -o ${WORK_DIR}/plain_tool ${flags})
run(${WORK_DIR}/plain_tool " 0,1,LumibenchPE,1,0,Data Exchange")

# Every public header compiles on its own with what the SDK's flags give
# (the diagrams' headers use Qt's painting types, which those flags bring;
# the window helpers' headers Qt's widgets).
execute_process(COMMAND pkg-config --cflags lumibench-tool-sdk Qt6Widgets OUTPUT_VARIABLE cflags
                OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(cflags UNIX_COMMAND "${cflags}")
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/lumibench ${prefix}/include/lumibench/*.h)
foreach(header IN LISTS headers)
  string(MAKE_C_IDENTIFIER ${header} name)
  file(WRITE ${WORK_DIR}/headers/${name}.cpp "#include \"${header}\"\n")
  run(c++ -std=c++20 -fPIC -fsyntax-only ${cflags} ${WORK_DIR}/headers/${name}.cpp)
endforeach()
