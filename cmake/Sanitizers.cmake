# VANTOREL_SANITIZE: a list of sanitizers (address, undefined, thread) to
# build every target with. Set by the asan and tsan presets.
set(VANTOREL_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address;undefined")
if(VANTOREL_SANITIZE)
  list(JOIN VANTOREL_SANITIZE "," _vantorel_sanitizers)
  add_compile_options(-fsanitize=${_vantorel_sanitizers} -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_vantorel_sanitizers})
  if("undefined" IN_LIST VANTOREL_SANITIZE)
    # The vptr check needs the type information of every class it casts to
    # in the object that casts. The plugin module hides its classes, as a
    # plugin DLL does, so the tests' casts to VantorelPlugin would not link.
    add_compile_options(-fno-sanitize=vptr)
  endif()
endif()
