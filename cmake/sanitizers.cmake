# SPDX-License-Identifier: GPL-2.0-or-later
# Optional instrumented builds.
#   -DEZX_SANITIZE=address,undefined   every target under AddressSanitizer and UBSan
#   -DEZX_SANITIZE=thread              every target under ThreadSanitizer
#   -DEZX_FUZZ=ON                      (clang only) the libFuzzer targets in tests/fuzz
set(EZX_SANITIZE "" CACHE STRING "Sanitizers to build every target with (address,undefined or thread)")
option(EZX_FUZZ "Build the libFuzzer targets in tests/fuzz (needs clang)" OFF)

if(EZX_SANITIZE)
  string(REPLACE ";" "," ezx_sanitize "${EZX_SANITIZE}")
  # A finding has to fail the test that made it, not just print a line.
  add_compile_options(-fsanitize=${ezx_sanitize} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${ezx_sanitize})
  # Qt's own libraries are not instrumented; calls through their type info are not ours to check.
  if(ezx_sanitize MATCHES "undefined")
    add_compile_options(-fno-sanitize=vptr)
  endif()
endif()

if(EZX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "EZX_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  # Coverage for the fuzzer in every library; only the targets link its main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
