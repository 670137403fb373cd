# tarnixw_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [LABELS logic|gui|pty ...] [TIMEOUT s])
# One executable per suite. Every test runs with the offscreen platform so CI needs no display.
function(tarnixw_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  qt_add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(NOT T_LABELS)
    set(T_LABELS logic)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
    LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()
