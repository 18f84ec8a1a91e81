# The Windows build's dependencies, built from Debian's sources with the cross compiler,
# under the target names the Linux build gets from pkg-config and CMake packages:
#   PkgConfig::IMGUI  Dear ImGui 1.86 from Debian's source package (POSTPLAY_IMGUI_SOURCE_DIR)
#   fmt::fmt          {fmt} header-only, from Debian's headers
#   GTest::*          GoogleTest from /usr/src/googletest
# Everything links statically (runtime libraries included), so every program and library
# runs without extra DLLs beside it.

set(POSTPLAY_IMGUI_SOURCE_DIR "" CACHE PATH "Dear ImGui 1.86 sources (imgui.cpp and friends)")
if(NOT EXISTS "${POSTPLAY_IMGUI_SOURCE_DIR}/imgui.cpp")
  message(FATAL_ERROR "POSTPLAY_IMGUI_SOURCE_DIR must name Dear ImGui's sources; scripts/build-windows.sh fetches them")
endif()

add_link_options(-static)
# Windows finds a program's DLLs beside it: every program and DLL goes to the build folder.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# ---- Dear ImGui ---------------------------------------------------------------------------
set(imgui_dir ${POSTPLAY_IMGUI_SOURCE_DIR})
add_library(postplay_imgui STATIC
  ${imgui_dir}/imgui.cpp ${imgui_dir}/imgui_draw.cpp ${imgui_dir}/imgui_tables.cpp
  ${imgui_dir}/imgui_widgets.cpp ${imgui_dir}/imgui_demo.cpp ${imgui_dir}/misc/cpp/imgui_stdlib.cpp)
target_include_directories(postplay_imgui SYSTEM PUBLIC ${imgui_dir} ${imgui_dir}/misc/cpp)
target_compile_options(postplay_imgui PRIVATE -w)
add_library(PkgConfig::IMGUI ALIAS postplay_imgui)
set(IMGUI_INCLUDE_DIRS ${imgui_dir} ${imgui_dir}/misc/cpp)

# ---- {fmt}, header-only ---------------------------------------------------------------------
# Only fmt's own folder is put on the include path, never the Linux /usr/include.
set(fmt_include ${CMAKE_BINARY_DIR}/deps/include)
file(MAKE_DIRECTORY ${fmt_include})
if(NOT EXISTS ${fmt_include}/fmt)
  file(CREATE_LINK /usr/include/fmt ${fmt_include}/fmt SYMBOLIC)
endif()
add_library(postplay_fmt INTERFACE)
target_include_directories(postplay_fmt SYSTEM INTERFACE ${fmt_include})
target_compile_definitions(postplay_fmt INTERFACE FMT_HEADER_ONLY)
add_library(fmt::fmt ALIAS postplay_fmt)

# ---- GoogleTest -----------------------------------------------------------------------------
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/deps/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock gmock_main)
  target_compile_options(${library} PRIVATE -w)
  if(NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()
