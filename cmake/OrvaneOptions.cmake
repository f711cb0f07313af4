# One interface target carries the language level, the warnings and the sanitizer flags, so every
# target of the project builds the same way.
add_library(orvane_options INTERFACE)
target_compile_features(orvane_options INTERFACE cxx_std_20)
target_compile_options(orvane_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wno-missing-field-initializers)

# The program's own sources say which encoding every byte string has; tests may be terser.
add_library(orvane_strict_strings INTERFACE)
target_compile_definitions(orvane_strict_strings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)

if(ORVANE_ASAN)
  target_compile_options(orvane_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(orvane_options INTERFACE -fsanitize=address,undefined)
endif()

if(ORVANE_TSAN)
  target_compile_options(orvane_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(orvane_options INTERFACE -fsanitize=thread)
endif()

# libFuzzer targets (fuzz/): the core is built with coverage instrumentation, AddressSanitizer and
# UndefinedBehaviorSanitizer; only clang has libFuzzer. The window, the tests and the benchmarks are
# left out of such a build.
option(ORVANE_FUZZ "Build the libFuzzer targets in fuzz/ (clang only)" OFF)
if(ORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORVANE_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  if(ORVANE_ASAN OR ORVANE_TSAN)
    message(FATAL_ERROR "ORVANE_FUZZ brings its own sanitizers: turn ORVANE_ASAN and ORVANE_TSAN off")
  endif()
  if(ORVANE_BUILD_TESTS OR ORVANE_BUILD_BENCH)
    message(FATAL_ERROR
      "ORVANE_FUZZ builds the core only: add -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF")
  endif()
  target_compile_options(orvane_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(orvane_options INTERFACE -fsanitize=address,undefined)
endif()

# Optimised builds use the C library's checked buffer functions, as Debian builds its packages; the
# sanitizer and fuzzing builds check more on their own.
if(NOT ORVANE_ASAN AND NOT ORVANE_TSAN AND NOT ORVANE_FUZZ)
  target_compile_options(orvane_options INTERFACE
    "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
