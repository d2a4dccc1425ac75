# Runs vantorel-sim once and checks what it did. Run as a script:
#
#   cmake -DSIM=<command list> [-DARGS=<list>] [-DINPUT=<file>]
#         [-DEXPECTED_OUTPUT=<file>] [-DEXPECTED_EXIT=<n>] [-DEXPECTED_ERROR=<regex>]
#         [-DOUTPUT_MATCHES=<list of regexes>]
#         [-DCONFIG=<file> -DCONFIG_SEED=<file> -DCONFIG_EXPECTED=<file>]
#         [-DPICTURE=<file> -DPICTURE_WIDTH=<n> -DPICTURE_HEIGHT=<n>]
#         [-DANIMATION=<file> -DANIMATION_WIDTH=<n> -DANIMATION_HEIGHT=<n>
#          -DANIMATION_FRAMES=<n>]
#         -P CompareOutput.cmake
#
# SIM is the command that starts vantorel-sim: its path, or for instance
# wine followed by the path of vantorel-sim.exe. Carriage returns are dropped
# from both outputs before comparing, so a Windows build compares against the
# same expected files. Checks:
#   EXPECTED_OUTPUT  standard output equals this file, byte for byte
#   EXPECTED_EXIT    the exit status (default 0)
#   EXPECTED_ERROR   standard error is one line, which matches this regular
#                    expression; without it, standard error must be empty
#   OUTPUT_MATCHES   a list of regular expressions standard output matches
#   CONFIG_SEED      copied to CONFIG before the run (else CONFIG is removed)
#   CONFIG_EXPECTED  CONFIG equals this file after the run
#   PICTURE_WIDTH/HEIGHT  PICTURE is a PNG of that size; PICTURE_WIDTH 0:
#                    no PICTURE was written
#   ANIMATION_WIDTH/HEIGHT/FRAMES  ANIMATION is an animated WebP of that
#                    canvas size holding that many frames; ANIMATION_WIDTH 0:
#                    no ANIMATION was written

if(NOT SIM)
  message(FATAL_ERROR "SIM not given")
endif()
if(NOT DEFINED EXPECTED_EXIT)
  set(EXPECTED_EXIT 0)
endif()

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

function(read_without_cr path out)
  file(READ "${path}" text)
  string(REPLACE "\r" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Names the first line where two texts part.
function(first_difference expected actual out)
  string(REPLACE ";" "\\;" expected "${expected}")
  string(REPLACE ";" "\\;" actual "${actual}")
  string(REPLACE "\n" ";" expected_lines "${expected}")
  string(REPLACE "\n" ";" actual_lines "${actual}")
  list(LENGTH expected_lines expected_count)
  list(LENGTH actual_lines actual_count)
  set(line 0)
  while(line LESS expected_count OR line LESS actual_count)
    set(e "<end of output>")
    set(a "<end of output>")
    if(line LESS expected_count)
      list(GET expected_lines ${line} e)
    endif()
    if(line LESS actual_count)
      list(GET actual_lines ${line} a)
    endif()
    if(NOT e STREQUAL a)
      math(EXPR number "${line} + 1")
      set(${out} "line ${number}:\n    expected: ${e}\n    actual:   ${a}" PARENT_SCOPE)
      return()
    endif()
    math(EXPR line "${line} + 1")
  endwhile()
  set(${out} "(they differ only in the last line break)" PARENT_SCOPE)
endfunction()

# Measures a picture: width and height, as a list, from the PNG header;
# -1 for both when it is no PNG.
function(measure_picture path out)
  file(READ "${path}" header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  string(SUBSTRING "${header}" 24 8 chunk)
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT chunk STREQUAL "49484452")
    set(${out} "-1;-1" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${header}" 32 8 w)
  string(SUBSTRING "${header}" 40 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  set(${out} "${w};${h}" PARENT_SCOPE)
endfunction()

# Measures an animation: canvas width, height and frames, as a list, walking
# the WebP's RIFF chunks: VP8X holds the flags (0x02: animated) and the
# canvas size less one, in 24-bit little-endian fields; each frame of an
# animation is an ANMF chunk. libwebp stores an animation of one frame as a
# still image, a lone VP8L chunk, whose header holds the size less one in
# two 14-bit fields after its signature byte. Anything else gives -1 for
# all three.
function(measure_animation path out)
  set(${out} "-1;-1;-1" PARENT_SCOPE)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" length)
  if(length LESS 60)
    return()
  endif()
  string(SUBSTRING "${hex}" 0 8 riff)
  string(SUBSTRING "${hex}" 16 8 webp)
  if(NOT riff STREQUAL "52494646" OR NOT webp STREQUAL "57454250")
    return()
  endif()
  set(at 24)
  set(w -1)
  set(h -1)
  set(count 0)
  set(animated 0)
  while(at LESS length)
    string(SUBSTRING "${hex}" ${at} 8 id)
    string(SUBSTRING "${hex}" ${at} 16 header)
    string(REGEX REPLACE "^........(..)(..)(..)(..)$" "\\4\\3\\2\\1" size "${header}")
    math(EXPR size "0x${size}")
    if(id STREQUAL "56503858")  # VP8X
      math(EXPR flags_at "${at} + 16")
      string(SUBSTRING "${hex}" ${flags_at} 20 payload)
      string(SUBSTRING "${payload}" 0 2 flags)
      math(EXPR animated "0x${flags} & 2")
      set(fields "^........(..)(..)(..)(..)(..)(..)$")
      string(REGEX REPLACE "${fields}" "\\3\\2\\1;\\6\\5\\4" sides "${payload}")
      list(GET sides 0 w)
      list(GET sides 1 h)
      math(EXPR w "0x${w} + 1")
      math(EXPR h "0x${h} + 1")
    elseif(id STREQUAL "414e4d46")  # ANMF
      math(EXPR count "${count} + 1")
    elseif(id STREQUAL "5650384c")  # VP8L: a still image
      math(EXPR bits_at "${at} + 18")
      string(SUBSTRING "${hex}" ${bits_at} 8 bits)
      string(REGEX REPLACE "^(..)(..)(..)(..)$" "\\4\\3\\2\\1" bits "${bits}")
      math(EXPR w "(0x${bits} & 0x3FFF) + 1")
      math(EXPR h "((0x${bits} >> 14) & 0x3FFF) + 1")
      set(count 1)
    endif()
    # The chunk's header, its payload, and a pad byte after an odd size.
    math(EXPR at "${at} + 16 + 2 * (${size} + ${size} % 2)")
  endwhile()
  set(${out} "${w};${h};${count}" PARENT_SCOPE)
endfunction()

# Checks the file a run wrote as its `kind` (picture, animation) at `path`:
# `expected` lists what measure_<kind> gives for it; a first item of 0 means
# no file may be there at all.
function(check_written kind path expected)
  list(GET expected 0 width)
  if(width EQUAL 0)
    if(EXISTS "${path}")
      fail("${kind} written although none should be")
    endif()
  elseif(NOT EXISTS "${path}")
    fail("no ${kind} written at ${path}")
  else()
    cmake_language(CALL measure_${kind} "${path}" measured)
    if(NOT measured STREQUAL expected)
      string(REPLACE ";" " x " measured "${measured}")
      string(REPLACE ";" " x " expected "${expected}")
      fail("${kind} measures ${measured}, expected ${expected}")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

if(CONFIG)
  file(REMOVE "${CONFIG}")
  if(CONFIG_SEED)
    configure_file("${CONFIG_SEED}" "${CONFIG}" COPYONLY)
  endif()
endif()
if(PICTURE)
  file(REMOVE "${PICTURE}")
endif()
if(ANIMATION)
  file(REMOVE "${ANIMATION}")
endif()

set(input_option "")
if(INPUT)
  set(input_option INPUT_FILE "${INPUT}")
endif()
execute_process(COMMAND ${SIM} ${ARGS}
  ${input_option}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE error
  RESULT_VARIABLE status)
string(REPLACE "\r" "" output "${output}")
string(REPLACE "\r" "" error "${error}")

if(NOT status STREQUAL EXPECTED_EXIT)
  fail("exit status ${status}, expected ${EXPECTED_EXIT}")
endif()
if(DEFINED EXPECTED_ERROR)
  # One message, one line.
  string(REGEX REPLACE "\n$" "" message "${error}")
  if(message MATCHES "\n" OR NOT error MATCHES "\n$")
    fail("standard error is not one line")
  elseif(NOT message MATCHES "${EXPECTED_ERROR}")
    fail("standard error does not match '${EXPECTED_ERROR}'")
  endif()
elseif(NOT error STREQUAL "")
  fail("unexpected standard error")
endif()
if(DEFINED EXPECTED_OUTPUT)
  read_without_cr("${EXPECTED_OUTPUT}" expected)
  if(NOT output STREQUAL expected)
    first_difference("${expected}" "${output}" where)
    fail("standard output differs from ${EXPECTED_OUTPUT} at ${where}")
  endif()
endif()
foreach(pattern IN LISTS OUTPUT_MATCHES)
  if(NOT output MATCHES "${pattern}")
    fail("standard output does not match '${pattern}'")
  endif()
endforeach()
if(CONFIG_EXPECTED)
  if(NOT EXISTS "${CONFIG}")
    fail("no configuration file ${CONFIG}")
  else()
    read_without_cr("${CONFIG_EXPECTED}" expected)
    read_without_cr("${CONFIG}" actual)
    if(NOT actual STREQUAL expected)
      first_difference("${expected}" "${actual}" where)
      fail("configuration file differs from ${CONFIG_EXPECTED} at ${where}")
    endif()
  endif()
endif()
if(DEFINED PICTURE_WIDTH)
  check_written(picture "${PICTURE}" "${PICTURE_WIDTH};${PICTURE_HEIGHT}")
endif()
if(DEFINED ANIMATION_WIDTH)
  check_written(animation "${ANIMATION}"
    "${ANIMATION_WIDTH};${ANIMATION_HEIGHT};${ANIMATION_FRAMES}")
endif()

if(failures)
  list(JOIN SIM " " shown_sim)
  list(JOIN ARGS " " shown_args)
  message(FATAL_ERROR "${shown_sim} ${shown_args}\n${failures}"
    "standard output:\n${output}\nstandard error:\n${error}")
endif()
