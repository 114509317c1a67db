cmake_minimum_required(VERSION 3.16)
# Reads the sources of the component sets and fails for every call of an application's handler made another way
# than through RaiseEvent (framework/raise_event.h), which tells the caller whether its object outlived the handler.
# A handler is an event member, On<Name> (or on<Name>_ when private); a call of one with arguments, or of what its
# getter returns, is a direct call; a member initialised in a constructor's list is not. So is a call of a variable
# of an event type (T...Event), a parameter or a copy that holds a handler. Methods of platform interfaces that
# happen to start with "On" are no handlers.
# Usage: cmake -DSOURCE_DIR=<root of the sources> -P check_handler_calls.cmake
set(sets framework feeds toolbars tree controls shell themes)
set(platform_methods OnFocusChangeIS)
set(calls
  "[^A-Za-z0-9_.>]On[A-Z][A-Za-z0-9_]*[ \t]*\\([^)]"
  "[.>]On[A-Z][A-Za-z0-9_]*[ \t]*\\([^)]"
  "[^A-Za-z0-9_,: \t][ \t]*on[A-Z][A-Za-z0-9]*_[ \t]*\\("
  "On[A-Z][A-Za-z0-9_]*\\(\\)[ \t]*\\("
  "std::invoke\\([ \t]*[A-Za-z0-9_>.-]*[Oo]n[A-Z]")
set(found "")
foreach(set ${sets})
  file(GLOB_RECURSE files "${SOURCE_DIR}/${set}/*.cpp" "${SOURCE_DIR}/${set}/*.h")
  foreach(file ${files})
    file(READ "${file}" text)
    # Comments name handlers freely.
    string(REGEX REPLACE "//[^\n]*" "" text "${text}")
    foreach(call ${calls})
      string(REGEX MATCHALL "${call}" matches "${text}")
      foreach(match ${matches})
        string(REGEX MATCH "[Oo]n[A-Z][A-Za-z0-9_]*" name "${match}")
        if(NOT name IN_LIST platform_methods)
          file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
          string(APPEND found "  ${relative}: ${name}\n")
        endif()
      endforeach()
    endforeach()
    string(REGEX MATCHALL "T[A-Za-z]*Event&?[ \t]+&?[a-z][A-Za-z0-9_]*" holders "${text}")
    list(REMOVE_DUPLICATES holders)
    foreach(holder ${holders})
      string(REGEX REPLACE ".*[ \t&]" "" variable "${holder}")
      string(REGEX MATCH "[^A-Za-z0-9_.>,: \t\n][ \t\n]*${variable}[ \t]*\\([^)]" call "${text}")
      if(call)
        file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
        string(APPEND found "  ${relative}: ${variable}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Handlers called directly, not through RaiseEvent:\n${found}")
endif()
message(STATUS "Every handler of the component sets is raised through RaiseEvent.")
