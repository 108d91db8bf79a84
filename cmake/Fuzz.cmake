# The libFuzzer targets of tests/fuzz, each linked with the core, all built
# with AddressSanitizer and UBSan so that any report ends the run as a crash.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "PX_FUZZ needs clang's libFuzzer: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

set(PX_FUZZ_SANITIZERS
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
# The core gets the coverage hooks the fuzzer steers by, but not its main().
target_compile_options(pxcore PRIVATE ${PX_FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)

file(GLOB PX_FUZZ_SOURCES CONFIGURE_DEPENDS tests/fuzz/*Fuzz.cpp)
add_custom_target(fuzz_targets)
foreach(source IN LISTS PX_FUZZ_SOURCES)
  get_filename_component(name "${source}" NAME_WE)
  add_executable(${name} "${source}")
  target_link_libraries(${name} PRIVATE pxcore)
  target_compile_options(${name} PRIVATE -Wall -Wextra ${PX_FUZZ_SANITIZERS} -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  add_dependencies(fuzz_targets ${name})
endforeach()
