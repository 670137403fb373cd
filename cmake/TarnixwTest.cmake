# tarnixw_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [LABELS logic|gui|pty ...] [TIMEOUT s]
#                  [POSIX] [DEVSIM] [CLI])
# One executable per suite. Every test runs with the offscreen platform so CI needs no display.
# Suites on pseudo-terminals (label pty) and those marked POSIX test what only Linux has; the
# Windows build leaves them out. Under Wine (the Windows build's tests) Qt's variables reach
# the program only with the WINE prefix, and Qt Test writes to standard error only when told.
# DEVSIM and CLI give the suite the path of tarnixw-devsim or tarnixw-cli (TARNIXW_DEVSIM,
# TARNIXW_CLI) and build them first.
# The real-time suites (labels pty and wine-line: a real line, its 15 ms wait steps and the
# processes at both ends) hold one resource lock, so that ctest -j never runs two of them at
# once: each keeps its windows without another real-time suite taking the cores.
# A Windows build's tests run under Wine, which sees this machine's files on drive Z:.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(TARNIXW_TEST_DRIVE "Z:")
endif()

function(tarnixw_add_test)
  cmake_parse_arguments(T "POSIX;DEVSIM;CLI" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(WIN32 AND (T_POSIX OR "pty" IN_LIST T_LABELS))
    return()
  endif()
  qt_add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  foreach(tool DEVSIM CLI)
    if(T_${tool})
      string(TOLOWER "tarnixw-${tool}" program)
      target_compile_definitions(${T_NAME} PRIVATE TARNIXW_${tool}="${TARNIXW_TEST_DRIVE}$<TARGET_FILE:${program}>")
      add_dependencies(${T_NAME} ${program})
    endif()
  endforeach()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(NOT T_LABELS)
    set(T_LABELS logic)
  endif()
  set(env "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
  if(WIN32)
    # Wine's own fonts (MS Sans Serif among them) for the offscreen platform
    list(APPEND env "WINEQT_QPA_PLATFORM=offscreen;WINEQT_FORCE_STDERR_LOGGING=1;WINEDEBUG=-all"
                    "WINEQT_QPA_FONTDIR=Z:/usr/share/wine/fonts")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${env}"
    LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
  if("pty" IN_LIST T_LABELS OR "wine-line" IN_LIST T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK realtime_line)
  endif()
endfunction()
