# Helpers shared by every library, program and test of the project.

set(KIV_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(KIV_WINDOWS)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                          __USE_MINGW_ANSI_STDIO=1)
else()
  if(KIV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    if(KIV_FUZZ)
      # Coverage feedback from the libraries, not only from the fuzz targets'
      # own sources: without it libFuzzer cannot steer into the parsers.
      add_compile_options(-fsanitize=fuzzer-no-link
                          -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/cmake/FuzzCoverageIgnore.txt)
      # The sanitizers' own advice: unoptimised code ran the targets about
      # three times slower, and a slow target explores little.
      add_compile_options(-O1)
    endif()
  endif()
endif()

# kiv_library(<name> [PORTABLE src...] [WINDOWS src...] [HOST src...]
#             [DEPS lib...] [SYSLIBS lib...])
# PORTABLE sources build everywhere, WINDOWS sources only for Windows, HOST
# sources only for the native build (the seams behind portable interfaces).
function(kiv_library name)
  cmake_parse_arguments(A "" "" "PORTABLE;WINDOWS;HOST;DEPS;SYSLIBS" ${ARGN})
  set(srcs ${A_PORTABLE})
  if(KIV_WINDOWS)
    list(APPEND srcs ${A_WINDOWS})
  else()
    list(APPEND srcs ${A_HOST})
  endif()
  if(NOT srcs)
    return() # nothing of this library builds on this platform
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/libs ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${KIV_WARNINGS})
  # Project libraries are linked whole by the executables (kiv_link_whole);
  # here they are only recorded, so that no archive is linked two ways.
  set_property(TARGET ${name} PROPERTY KIV_DEPS ${A_DEPS})
  if(KIV_WINDOWS AND A_SYSLIBS)
    target_link_libraries(${name} PUBLIC ${A_SYSLIBS})
  endif()
  set_property(GLOBAL APPEND PROPERTY KIV_LIBRARIES ${name})
endfunction()

# Libraries hold self-registering static objects (log writers, loggers,
# parameters) that nothing references by name; an executable takes every
# object of the project libraries it links so that none is dropped.
function(kiv_collect_deps out)
  set(result "")
  set(pending ${ARGN})
  while(pending)
    list(POP_FRONT pending lib)
    if(NOT TARGET ${lib} OR lib IN_LIST result)
      continue()
    endif()
    list(APPEND result ${lib})
    get_property(deps TARGET ${lib} PROPERTY KIV_DEPS)
    list(APPEND pending ${deps})
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The link is made once the whole project is read, so that a test may link a
# library that is defined after its own.
function(kiv_link_whole target)
  set(args "")
  foreach(arg ${target} ${ARGN})
    string(APPEND args " [[${arg}]]")
  endforeach()
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]] CALL kiv_link_whole_now ${args})")
endfunction()

function(kiv_link_whole_now target)
  kiv_collect_deps(libs ${ARGN})
  foreach(lib ${libs})
    target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${lib}>")
  endforeach()
endfunction()

# kiv_test(<name> [PORTABLE src...] [WINDOWS src...] LIBS lib... [TIMEOUT s])
# One GoogleTest executable per library. Under Windows it runs through Wine
# (the emulator set by the toolchain file); natively only the portable part.
function(kiv_test name)
  cmake_parse_arguments(A "" "TIMEOUT" "PORTABLE;WINDOWS;LIBS" ${ARGN})
  set(srcs ${A_PORTABLE})
  if(KIV_WINDOWS)
    list(APPEND srcs ${A_WINDOWS})
  endif()
  if(NOT srcs)
    return()
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  add_executable(${name} ${srcs})
  target_compile_options(${name} PRIVATE ${KIV_WARNINGS})
  kiv_link_whole(${name} ${A_LIBS})
  target_link_libraries(${name} PRIVATE kiv_testmain GTest::gmock GTest::gtest)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  kiv_test_timeout(${name} ${A_TIMEOUT})
endfunction()

# kiv_test_timeout(<test> <seconds>): CTest's limit for a test of a test
# program, and the program's own budget a little inside it: its watchdog
# (tools/testing/TestMain.cpp) then ends a hung run itself, naming the
# test that hung, with time left for Wine to start and stop around it.
function(kiv_test_timeout test seconds)
  math(EXPR margin "${seconds} / 10")
  if(margin LESS 15)
    set(margin 15)
  endif()
  math(EXPR budget "${seconds} - ${margin}")
  set_tests_properties(${test} PROPERTIES TIMEOUT ${seconds}
                                          ENVIRONMENT KIV_TEST_BUDGET=${budget})
endfunction()

macro(kiv_setup_googletest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  if(KIV_WINDOWS)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  endif()
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # gtest_main is not used: every test program has its own main.
endmacro()

set(KIV_VERSION 1.0.0.0)

# kiv_version_resource(<target> <program name>): the version block that
# plat::appInit reads ("ProgramName", "FileVersion").
function(kiv_version_resource target programName)
  if(NOT KIV_WINDOWS)
    return()
  endif()
  set(KIV_RC_TARGET ${target})
  set(KIV_RC_PROGRAM_NAME ${programName})
  string(REPLACE "." "," KIV_VERSION_COMMAS ${KIV_VERSION})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# kiv_fuzz(<name> SOURCES src... LIBS lib... [CORPUS dir])
# A libFuzzer target over a parser of outside input, native build only. The
# test suite runs each one for KIV_FUZZ_TIME seconds (20 when unset) so that
# it keeps building and stays clean; `./dev fuzz` runs them longer.
function(kiv_fuzz name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(KIV_WINDOWS OR NOT KIV_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${KIV_WARNINGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  kiv_link_whole(${name} ${A_LIBS})
  # New inputs go to the build tree; the seed corpus in the sources stays as
  # it is.
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${work})
  set(args -rss_limit_mb=1024 ${work})
  if(A_CORPUS)
    list(APPEND args ${CMAKE_CURRENT_SOURCE_DIR}/${A_CORPUS})
  endif()
  # A hung target fails: the run is cut a minute after its time is up.
  add_test(NAME ${name}
    COMMAND sh -c "t=\${KIV_FUZZ_TIME:-20}; exec timeout -k 10 \$((t + 60)) \"\$0\" -max_total_time=\$t \"\$@\""
            $<TARGET_FILE:${name}> ${args})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 100000)
endfunction()

# kiv_manifest(<target>): the application manifest (common controls 6,
# per-monitor DPI awareness) for a Windows program or test program.
function(kiv_manifest target)
  if(KIV_WINDOWS)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/Manifest.rc)
  endif()
endfunction()

# kiv_shots(SOURCES src... LIBS lib...): shot makers (tools/testing/Shots.h)
# and the resources they need, built into kivshots for ./dev shots.
function(kiv_shots)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT KIV_WINDOWS)
    return()
  endif()
  foreach(src ${A_SOURCES})
    get_filename_component(path ${src} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY KIV_SHOT_SOURCES ${path})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KIV_SHOT_LIBS ${A_LIBS})
endfunction()
