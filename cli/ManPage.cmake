# Writes the manual page's section with every command's help (cmake -P, run at build time):
#   -DCLI=<tarnixw-cli> -DOUT=<include file for help2man>
set(text "[COMMANDS IN DETAIL]\n")
foreach(cmd ports search scan read write show convert diff site template)
  execute_process(COMMAND ${CLI} ${cmd} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${CLI} ${cmd} --help failed")
  endif()
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text ".SS ${cmd}\n.nf\n${help}\n.fi\n")
endforeach()
file(WRITE ${OUT} "${text}")
