cmake_minimum_required(VERSION 3.16)
# Reads the sources of the component sets and fails for every call of an application's handler made another way
# than through RaiseEvent (framework/raise_event.h), and for every method that loses what such a call answers.
#
# A handler is an event member, On<Name> (or on<Name>_ when private). Called directly are: one called with
# arguments, or what its getter returns, also in parentheses or after return; one copied into a local or a capture
# that is then called; a variable of an event type (T...Event: a parameter, a copy) that is called; one handed to a
# function that calls that parameter (a helper template). A member initialised in a constructor's list is no call,
# nor are methods of platform interfaces that happen to start with "On".
#
# A method swallows an answer when it takes one (observes a TRaised or TNodeRaised, holds one, raises, or drops a
# call's result with a void cast) and answers void itself. The one exception is the raise that is the last act of
# its callers' work, marked by a comment naming its "last act" just before the statement that takes it. Constructors
# and destructors answer nothing by nature, nor does a component's BeforeDestruction, the first part of its deletion:
# the deletion under way owns the object, and a handler that deletes it again only abandons it; a window procedure's message handlers (one TMessage& parameter) answer
# through the life of the control, which the procedure watches, a handler (its first parameter the sender)
# through the life of the object that raised it, which RaiseEvent watches, and a component's Notification of
# another one's removal to nobody (the other is going). A walk that passes over an element a handler freed (the
# answer observed only to continue) takes no answer of its own.
#
# The sources are read as text: comments, strings and preprocessor lines go first, then braces split the text into
# functions, lambdas, blocks and the rest, by the head each opening brace follows.
#
# Usage: cmake -DSOURCE_DIR=<root of the sources> [-DSETS=<folders>] [-DSWALLOWS=ON] [-DKNOWN=<file>]
#          [-DEXPECTED=<file>] -P check_handler_calls.cmake
# SWALLOWS looks for swallowed answers too. KNOWN names the swallowing methods the sets still hold while they learn
# to hand answers on, one finding a line ("#" starts a remark): any other finding fails, and so does a line that no
# longer holds, so that the list only shrinks. With EXPECTED, the findings must be exactly the lines of that file
# (the check's own test, tests/sources/planted).
if(NOT SETS)
  set(SETS framework feeds toolbars tree controls shell themes examples)
endif()
set(platform_methods OnFocusChangeIS)
# Stand-ins for the characters that mean something to CMake's lists.
string(ASCII 1 S)
string(ASCII 2 M)
string(ASCII 3 LB)
string(ASCII 4 RB)
set(handler "[Oo]n[A-Z][A-Za-z0-9_]*")
set(blank "[ \t\n]")
set(findings "")
set(param_callers "")

function(clean_source text out)
  string(REPLACE "\\\n" " " text "${text}")
  string(REGEX REPLACE "//[^\n]*last act[^\n]*" "${M}" text "${text}")
  string(REGEX REPLACE "'(\\\\.[^'\n]*|[^'\\\\\n])'" "''" text "${text}")
  string(REGEX REPLACE "\"([^\"\\\\\n]|\\\\.)*\"" "\"\"" text "${text}")
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" " " text "${text}")
  string(REGEX REPLACE "(^|\n)[ \t]*#[^\n]*" "\\1" text "${text}")
  # A macro that declares a class's parts stands on a line of its own, with no semicolon.
  foreach(pass 1 2)
    string(REGEX REPLACE "\n[ \t]*[A-Z][A-Z0-9_]*\\([^()\n]*\\)[ \t]*\n" "\n\n" text "${text}")
  endforeach()
  string(REPLACE ";" "${S}" text "${text}")
  string(REPLACE "[" "${LB}" text "${text}")
  string(REPLACE "]" "${RB}" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The first parenthesised group of text, with what comes after it.
function(first_group text group rest)
  string(FIND "${text}" "(" open)
  if(open LESS 0)
    set(${group} "" PARENT_SCOPE)
    set(${rest} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${text}" ${open} -1 from)
  string(REGEX MATCH "^\\(([^()]|\\(([^()]|\\([^()]*\\))*\\))*\\)" found "${from}")
  string(LENGTH "${found}" length)
  string(SUBSTRING "${from}" ${length} -1 after)
  set(${group} "${found}" PARENT_SCOPE)
  set(${rest} "${after}" PARENT_SCOPE)
endfunction()

# The names of a parameter list's parameters.
function(parameter_names params out)
  string(REGEX REPLACE "^\\(|\\)$" "" inner "${params}")
  string(REGEX REPLACE "\\([^()]*\\)|<[^<>]*>|=[^,]*" "" inner "${inner}")
  string(REPLACE "," "${S}" inner "${inner}")
  set(names "")
  string(REPLACE "${S}" ";" parts "${inner}")
  foreach(part ${parts})
    string(REGEX MATCH "[A-Za-z_][A-Za-z0-9_]*[ \t\n]*$" name "${part}")
    string(STRIP "${name}" name)
    if(name AND NOT name MATCHES "^(const|void|int|bool|[A-Z][A-Za-z]?)$")
      list(APPEND names "${name}")
    endif()
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# Classifies the head an opening brace follows: into kind (function, lambda, constructor or other), and for
# functions and lambdas their name, parameters and what they answer (void, value, or deduced).
function(classify head)
  set(kind other)
  set(name "")
  set(params "")
  set(answer value)
  string(REGEX REPLACE "${LB}${LB}[A-Za-z_: ]*${RB}${RB}" "" head "${head}")
  string(REGEX REPLACE "(^|[^A-Za-z0-9_])(public|private|protected)${blank}*:([^:]|$)" "\\1\\3" head "${head}")
  string(REPLACE "${M}" "" head "${head}")
  string(STRIP "${head}" head)
  # What follows a braced list closes the expression the list stood in.
  string(REGEX REPLACE "^[) \t\n]+" "" head "${head}")
  while(head MATCHES "^(case([^:]|::)*[^:]|default${blank}*):([^:].*)$")
    string(STRIP "${CMAKE_MATCH_3}" head)
  endwhile()
  set(qualifiers "${blank}*(const|noexcept|override|final|volatile|mutable|constexpr|&|${blank})*")
  if(head MATCHES "${RB}${blank}*(\\(([^()]|\\([^()]*\\))*\\))?${qualifiers}(->[^{}]*)?$"
     AND NOT head MATCHES "operator${blank}*${LB}${blank}*${RB}${blank}*\\(")
    set(kind lambda)
    string(REGEX MATCH "${RB}${blank}*(\\(([^()]|\\([^()]*\\))*\\))" group "${head}")
    string(REGEX REPLACE "^${RB}${blank}*" "" params "${group}")
    if(head MATCHES "->${blank}*void${blank}*$")
      set(answer void)
    elseif(NOT head MATCHES "->")
      set(answer deduced)
    endif()
    string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*)${blank}*=${blank}*${LB}[^${RB}]*${RB}[^=]*$" assigned "${head}")
    if(assigned)
      set(name "${CMAKE_MATCH_1}")
    endif()
  elseif(head MATCHES "^(if|for|while|switch|catch|else|do|try)([^A-Za-z0-9_]|$)")
    set(kind other)
  elseif(head MATCHES "^[,:]" OR head MATCHES "\\)${blank}*:[^:]")
    set(kind constructor)
  elseif(head MATCHES "^[^(]*\\(.*\\)${qualifiers}(->[^{}]*)?$")
    set(kind function)
    string(FIND "${head}" "(" open)
    string(SUBSTRING "${head}" 0 ${open} before)
    string(REGEX MATCH "([~A-Za-z_][A-Za-z0-9_:~]*)${blank}*$" full "${before}")
    set(name "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "([~A-Za-z_][A-Za-z0-9_:~]*)${blank}*$" "" returns "${before}")
    string(REGEX REPLACE "template${blank}*<([^<>]|<[^<>]*>)*>" "" returns "${returns}")
    string(REGEX REPLACE "(^|${blank})(static|virtual|inline|constexpr|explicit|friend|extern)(${blank}|$)" " "
                         returns "${returns}")
    string(STRIP "${returns}" returns)
    string(SUBSTRING "${head}" ${open} -1 from)
    if(name MATCHES "(^|:)operator$" AND from MATCHES "^\\(${blank}*\\)${blank}*\\(")
      string(REGEX REPLACE "^\\(${blank}*\\)${blank}*" "" from "${from}")
    endif()
    first_group("${from}" params rest)
    if(head MATCHES "->${blank}*void${blank}*$" OR returns MATCHES "(^|[^A-Za-z0-9_:<>*&])void$")
      set(answer void)
    endif()
    if(returns STREQUAL "" OR name MATCHES "~" OR name MATCHES "(^|:)BeforeDestruction$")
      set(kind constructor)
    elseif(name MATCHES "([A-Za-z_][A-Za-z0-9_]*)::([A-Za-z_][A-Za-z0-9_]*)$" AND CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
      set(kind constructor)
    endif()
  endif()
  set(kind "${kind}" PARENT_SCOPE)
  set(name "${name}" PARENT_SCOPE)
  set(params "${params}" PARENT_SCOPE)
  set(answer "${answer}" PARENT_SCOPE)
endfunction()

# The statements of a body that take an answer, other than those marked as a last act.
function(takes_answer text out)
  string(REGEX REPLACE "${M}[^${S}]*${S}" "" text "${text}")
  # A walk that passes over an element a handler freed takes no answer of its own.
  string(REGEX REPLACE "\\.(Gone|NodeGone)${blank}*\\(${blank}*\\)${blank}*\\)${blank}*continue${blank}*${S}" ")${S}" text "${text}")
  string(REGEX REPLACE "static_cast<void>\\([A-Za-z0-9_.>-]*\\.release\\(\\)\\)" "" text "${text}")
  set(takes FALSE)
  foreach(pattern
      "\\.(Gone|Alive|NodeGone)${blank}*\\(${blank}*\\)"
      "->(Gone|Alive|NodeGone)${blank}*\\(${blank}*\\)"
      "\\)${blank}*\\.TreeGone${blank}*\\("
      "(^|[^A-Za-z0-9_])(TRaised|TNodeRaised)${blank}*&?${blank}+[A-Za-z_]"
      "(^|[^A-Za-z0-9_])(RaiseEvent|RaiseEventInto|maybe_unused)([^A-Za-z0-9_]|$)"
      "std::ignore"
      "\\(${blank}*void${blank}*\\)${blank}*[A-Za-z_:][A-Za-z0-9_:]*${blank}*(\\(|->|\\.)"
      "static_cast<void>")
    if(text MATCHES "${pattern}")
      set(takes TRUE)
    endif()
  endforeach()
  set(${out} ${takes} PARENT_SCOPE)
endfunction()

# Reads one file: the direct calls its text holds, and the swallowing functions it defines.
function(scan_file file)
  file(READ "${file}" raw)
  clean_source("${raw}" text)
  set_property(GLOBAL APPEND PROPERTY cleaned_files "${file}")
  set_property(GLOBAL PROPERTY "cleaned ${file}" "${text}")
  file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
  set(found "")

  # Direct calls, by their shape.
  foreach(call
      "[^A-Za-z0-9_.>]On[A-Z][A-Za-z0-9_]*[ \t]*\\([^)]"
      "[.>]On[A-Z][A-Za-z0-9_]*[ \t]*\\([^)]"
      "[^A-Za-z0-9_,: \t][ \t]*on[A-Z][A-Za-z0-9]*_[ \t]*\\("
      "(return|throw|else|do|case)${blank}+(this->)?on[A-Z][A-Za-z0-9]*_[ \t]*\\("
      "On[A-Z][A-Za-z0-9_]*\\(\\)[ \t]*\\("
      "\\(${blank}*(this->)?${handler}${blank}*\\)${blank}*\\("
      "std::invoke\\([ \t]*[A-Za-z0-9_>.-]*${handler}")
    string(REGEX MATCHALL "${call}" matches "${text}")
    foreach(match ${matches})
      string(REGEX MATCH "[Oo]n[A-Z][A-Za-z0-9_]*" name "${match}")
      if(NOT name IN_LIST platform_methods)
        list(APPEND found "${relative}: ${name} called directly")
      endif()
    endforeach()
  endforeach()

  # A handler copied into a local or a capture, which is then called.
  string(REGEX MATCHALL
         "(^|[^A-Za-z0-9_.>])[a-z_][A-Za-z0-9_]*${blank}*(=|{)${blank}*(std::move\\(|std::exchange\\()?${blank}*(this->)?${handler}${blank}*([${S}}),]|${RB})"
         copies "${text}")
  foreach(copy ${copies})
    string(REGEX MATCH "[a-z_][A-Za-z0-9_]*" local "${copy}")
    string(REGEX MATCH "${handler}" name "${copy}")
    if(NOT name IN_LIST platform_methods AND text MATCHES "(^|[^A-Za-z0-9_.>])${local}${blank}*\\(")
      list(APPEND found "${relative}: ${name} called through its copy ${local}")
    endif()
  endforeach()

  # A variable of an event type, which is then called.
  string(REGEX MATCHALL "T[A-Za-z]*Event&?[ \t]+&?[a-z][A-Za-z0-9_]*" holders "${text}")
  list(REMOVE_DUPLICATES holders)
  foreach(holder ${holders})
    string(REGEX REPLACE ".*[ \t&]" "" variable "${holder}")
    if(text MATCHES "[^A-Za-z0-9_.>,: \t\n][ \t\n]*${variable}[ \t]*\\([^)]")
      list(APPEND found "${relative}: ${variable}, of an event type, called directly")
    endif()
  endforeach()

  # The functions, lambdas and blocks, each opening brace by the head it follows.
  string(REGEX MATCHALL "[^{}]*[{}]" chunks "${text}")
  set(kinds "")
  set(owners "")
  set(owner "-")
  set(next 0)
  foreach(chunk ${chunks})
    string(LENGTH "${chunk}" length)
    math(EXPR last "${length} - 1")
    string(SUBSTRING "${chunk}" ${last} 1 brace)
    string(SUBSTRING "${chunk}" 0 ${last} body)
    if(NOT owner STREQUAL "-")
      string(APPEND fn${owner}_text "${body}${brace}")
    endif()
    if(brace STREQUAL "{")
      string(FIND "${body}" "${S}" end REVERSE)
      math(EXPR end "${end} + 1")
      string(SUBSTRING "${body}" ${end} -1 head)
      classify("${head}")
      if(kind STREQUAL "other")
        list(APPEND kinds other)
        list(APPEND owners "${owner}")
      else()
        math(EXPR next "${next} + 1")
        set(fn${next}_kind "${kind}")
        set(fn${next}_name "${name}")
        set(fn${next}_params "${params}")
        set(fn${next}_answer "${answer}")
        set(fn${next}_text "${params} ")
        list(APPEND kinds "${next}")
        set(owner "${next}")
        list(APPEND owners "${owner}")
      endif()
    elseif(kinds)
      list(POP_BACK kinds closed)
      list(POP_BACK owners)
      if(owners)
        list(GET owners -1 owner)
      else()
        set(owner "-")
      endif()
      if(NOT closed STREQUAL "other")
        set(id ${closed})
        set(body_text "${fn${id}_text}")
        parameter_names("${fn${id}_params}" names)
        set(position 0)
        foreach(parameter ${names})
          if(fn${id}_name AND body_text MATCHES "(^|[^A-Za-z0-9_.>])${parameter}${blank}*\\(")
            string(REGEX REPLACE ".*:" "" short "${fn${id}_name}")
            set_property(GLOBAL APPEND PROPERTY param_callers "${short}#${position}")
          endif()
          math(EXPR position "${position} + 1")
        endforeach()
        set(answer "${fn${id}_answer}")
        if(answer STREQUAL "deduced")
          if(body_text MATCHES "(^|[^A-Za-z0-9_])return${blank}*[^ \t\n${S}]")
            set(answer value)
          else()
            set(answer void)
          endif()
        endif()
        if(SWALLOWS AND NOT fn${id}_kind STREQUAL "constructor" AND answer STREQUAL "void"
           AND NOT fn${id}_params MATCHES "^\\(${blank}*TMessage${blank}*&${blank}*[A-Za-z_]*${blank}*\\)$"
           AND NOT fn${id}_params MATCHES "^\\(${blank}*(TObject${blank}*\\*|[^,()]*${blank}sender${blank}*[,)])"
           AND NOT fn${id}_params MATCHES "TOperation")
          takes_answer("${body_text}" takes)
          if(takes)
            set(what "${fn${id}_name}")
            if(NOT what)
              set(what "a lambda")
            endif()
            list(APPEND found "${relative}: ${what} swallows an answer")
          endif()
        endif()
        unset(fn${id}_text)
      endif()
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY findings "${found}")
endfunction()

set(files "")
foreach(set ${SETS})
  file(GLOB_RECURSE set_files "${SOURCE_DIR}/${set}/*.cpp" "${SOURCE_DIR}/${set}/*.h")
  list(APPEND files ${set_files})
endforeach()
list(SORT files)
foreach(file ${files})
  scan_file("${file}")
endforeach()

# Handlers handed to a function that calls that parameter. RaiseEvent, and the tree's RaiseNodeEvent, are the ones
# that may.
get_property(callers GLOBAL PROPERTY param_callers)
list(REMOVE_DUPLICATES callers)
set(helpers "")
foreach(caller ${callers})
  string(REGEX REPLACE "#.*" "" helper "${caller}")
  if(NOT helper MATCHES "^(RaiseEvent|RaiseEventInto|RaiseNodeEvent)$")
    list(APPEND helpers "${helper}")
  endif()
endforeach()
if(helpers)
  list(REMOVE_DUPLICATES helpers)
  string(REPLACE ";" "|" alternatives "${helpers}")
  foreach(file ${files})
    get_property(text GLOBAL PROPERTY "cleaned ${file}")
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
    string(REGEX MATCHALL "(^|[^A-Za-z0-9_])(${alternatives})${blank}*\\(([^(){}${S}]|\\(([^(){}${S}]|\\([^(){}${S}]*\\))*\\))*\\)"
           calls "${text}")
    foreach(call ${calls})
      string(REGEX MATCH "(${alternatives})${blank}*\\(" helper "${call}")
      string(REGEX REPLACE "${blank}*\\($" "" helper "${helper}")
      string(REGEX REPLACE "^[^(]*\\(|\\)$" "" arguments "${call}")
      foreach(pass 1 2)
        string(REGEX REPLACE "\\([^()]*\\)" "" arguments "${arguments}")
      endforeach()
      string(REPLACE "," ";" arguments "${arguments}")
      set(position 0)
      foreach(argument ${arguments})
        string(REGEX MATCH "^${blank}*(this->|[A-Za-z0-9_]+(\\.|->))?(${handler})${blank}*$" passed "${argument}")
        if(passed AND "${helper}#${position}" IN_LIST callers AND NOT CMAKE_MATCH_3 IN_LIST platform_methods)
          set_property(GLOBAL APPEND PROPERTY findings
                       "${relative}: ${CMAKE_MATCH_3} handed to ${helper}, which calls it")
        endif()
        math(EXPR position "${position} + 1")
      endforeach()
    endforeach()
  endforeach()
endif()

get_property(findings GLOBAL PROPERTY findings)
list(REMOVE_DUPLICATES findings)
if(EXPECTED)
  file(STRINGS "${EXPECTED}" expected)
  list(SORT findings)
  list(SORT expected)
  if(NOT findings STREQUAL expected)
    string(REPLACE ";" "\n  " found "${findings}")
    string(REPLACE ";" "\n  " wanted "${expected}")
    message(FATAL_ERROR "The check found:\n  ${found}\nwhere the planted faults are:\n  ${wanted}")
  endif()
  message(STATUS "The check finds every planted fault and nothing else.")
  return()
endif()
if(KNOWN)
  file(STRINGS "${KNOWN}" known REGEX "^[^#]")
  set(left "${known}")
  if(findings)
    list(REMOVE_ITEM left ${findings})
  endif()
  if(left)
    string(REPLACE ";" "\n  " gone "${left}")
    message(FATAL_ERROR "Answers no longer swallowed, to strike from ${KNOWN}:\n  ${gone}")
  endif()
  if(known AND findings)
    list(REMOVE_ITEM findings ${known})
  endif()
endif()
if(findings)
  string(REPLACE ";" "\n  " found "${findings}")
  message(FATAL_ERROR "Handlers called other than through RaiseEvent, or answers swallowed:\n  ${found}")
endif()
if(SWALLOWS AND known)
  list(LENGTH known count)
  message(STATUS "Every handler of the component sets is raised through RaiseEvent, and every answer is handed on "
                 "but by the ${count} methods known to swallow one.")
elseif(SWALLOWS)
  message(STATUS "Every handler of the component sets is raised through RaiseEvent, and every answer is handed on.")
else()
  message(STATUS "Every handler of the component sets is raised through RaiseEvent.")
endif()
