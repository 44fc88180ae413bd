# The Python interpreter for the Python tools' tests: the first of OLIVE_PYTHON (when set), the
# system's /usr/bin/python3 and the python3 on PATH that can import every module of
# OLIVE_PYTHON_MODULES; when none can, the first that exists (the tests then skip, naming what
# is missing). A python3 first on PATH may be a private installation without the distribution's
# packages, which is why the system's comes before it.
set(OLIVE_PYTHON_MODULES matplotlib pandas osgeo netCDF4)

function(olive_find_python out)
  find_program(_olive_path_python NAMES python3)
  set(candidates ${OLIVE_PYTHON} /usr/bin/python3 ${_olive_path_python})
  set(first "")
  set(best "")
  set(best_count -1)
  foreach(py IN LISTS candidates)
    if(NOT EXISTS "${py}")
      continue()
    endif()
    if(first STREQUAL "")
      set(first "${py}")
    endif()
    set(count 0)
    foreach(module IN LISTS OLIVE_PYTHON_MODULES)
      execute_process(COMMAND "${py}" -c "import ${module}" RESULT_VARIABLE rc
                      OUTPUT_QUIET ERROR_QUIET)
      if(rc EQUAL 0)
        math(EXPR count "${count} + 1")
      endif()
    endforeach()
    if(count GREATER best_count)
      set(best "${py}")
      set(best_count ${count})
    endif()
  endforeach()
  if(best STREQUAL "")
    set(best "${first}")
  endif()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()
