# How every target of the project compiles: warnings, the shared precompiled headers and the optimisation level of
# code whose speed does not matter.

# The platform header every unit includes and the standard library headers most units do. Each kind of target
# (the libraries, the test programs) compiles them once, in its first target, and every later target of that kind
# reuses the result, so its settings must stay those of the first. A library unit compiles its own header first:
# with no more than <windows.h> and the standard library before it, that is the check that the header compiles on
# its own (tests/headers), so the libraries' list holds no other platform header. The tests' list does.
set(BC_PRECOMPILED_STANDARD_HEADERS
  <algorithm> <array> <cstdint> <cstring> <cwchar> <functional> <map> <memory> <new> <optional> <string>
  <string_view> <type_traits> <utility> <vector>)
set(BC_PRECOMPILED_HEADERS <windows.h> ${BC_PRECOMPILED_STANDARD_HEADERS})
set(BC_PRECOMPILED_TEST_HEADERS
  <windows.h> <ole2.h> <commctrl.h> <shlobj.h> <wrl/client.h> ${BC_PRECOMPILED_STANDARD_HEADERS}
  <random> <thread> <gtest/gtest.h>)

# GCC keeps quiet about the standard library's own inline code only while it reads the library's headers as text:
# from a precompiled header, its flow-based checks of memory accesses report the string copies inlined from
# char_traits and the C library's wmemcpy (a short wide literal copied into a std::wstring "reads past" the literal,
# a long one "overflows" the small-string buffer), in every unit. Those three checks are left to a build without
# precompiled headers (-DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON), which reports them for the project's own code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CMAKE_DISABLE_PRECOMPILE_HEADERS)
  set(BC_PRECOMPILED_HEADER_WARNINGS -Wno-array-bounds -Wno-stringop-overread -Wno-stringop-overflow)
endif()

# In a unity batch every unit but the first is read as if included, and GCC then reports each class of a unit's own
# that uses a type of its anonymous namespace, which is exactly what a unit on its own is meant to do. Only targets
# built in batches leave the warning out, so that a target built unit by unit compiles as in any configuration.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(BC_UNITY_BUILD_WARNINGS $<$<BOOL:$<TARGET_PROPERTY:UNITY_BUILD>>:-Wno-subobject-linkage>)
endif()

function(bc_apply_warnings target)
  target_compile_definitions(${target} PUBLIC UNICODE _UNICODE NOMINMAX)
  # The answer of raising an application's handler (RaiseEvent) may not be dropped: a caller that ignores it does
  # not compile.
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8 /we4834)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror=unused-result ${BC_UNITY_BUILD_WARNINGS})
  endif()
endfunction()

# bc_precompile_headers(target library|test): the first target of a kind owns the precompiled headers of that kind.
function(bc_precompile_headers target kind)
  if(NOT kind MATCHES "^(library|test)$")
    message(FATAL_ERROR "bc_precompile_headers(${target} ${kind}): the kind is library or test")
  endif()
  target_compile_options(${target} PRIVATE ${BC_PRECOMPILED_HEADER_WARNINGS})
  get_property(owner GLOBAL PROPERTY BC_PRECOMPILED_${kind}_OWNER)
  if(owner)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  elseif(kind STREQUAL "test")
    set_property(GLOBAL PROPERTY BC_PRECOMPILED_${kind}_OWNER ${target})
    target_precompile_headers(${target} PRIVATE ${BC_PRECOMPILED_TEST_HEADERS})
  else()
    set_property(GLOBAL PROPERTY BC_PRECOMPILED_${kind}_OWNER ${target})
    target_precompile_headers(${target} PRIVATE ${BC_PRECOMPILED_HEADERS})
  endif()
endfunction()

# Test code and the tables of stored properties run once per test or per stored form: optimising them hard costs
# most of their compile time and gains nothing. MSVC keeps its release settings.
set(BC_LIGHT_OPTIMISATION $<$<AND:$<CXX_COMPILER_ID:GNU,Clang>,$<NOT:$<CONFIG:Debug>>>:-O1>)

function(bc_compile_lightly target)
  target_compile_options(${target} PRIVATE ${BC_LIGHT_OPTIMISATION})
endfunction()

function(bc_compile_cold_sources)
  foreach(source ${ARGN})
    get_filename_component(name ${source} NAME_WE)
    if(name MATCHES "^published_|_properties$")
      set_property(SOURCE ${source} APPEND PROPERTY COMPILE_OPTIONS ${BC_LIGHT_OPTIMISATION})
    endif()
  endforeach()
endfunction()
