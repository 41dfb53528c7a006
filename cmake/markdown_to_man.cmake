# Turns a guide written in the project's plain Markdown into a manual page,
# so that the two are one text:
#
#   cmake -DINPUT=docs/scanhost.md -DOUTPUT=scanhost.1 -DNAME=scanhost
#         -DSECTION=1 "-DSUMMARY=what it is" "-DSOURCE=package version"
#         -P markdown_to_man.cmake
#
# What the guides use, and what it becomes: the "# title" line gives way to
# NAME (NAME \- SUMMARY) and DESCRIPTION; "## heading" is a section, "###"
# a subsection; a paragraph is a paragraph; lines indented by four spaces
# are shown as they are; "- " items are bulleted (continued by lines
# indented two spaces); a table "| a | b |" becomes one tagged paragraph a
# row, its first cell the tag and every other cell after its column's
# heading; `code` (within one line) is bold. Anything else is text.

foreach(variable INPUT OUTPUT NAME SECTION SUMMARY SOURCE)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "markdown_to_man.cmake needs -D${variable}=...")
  endif()
endforeach()

# Characters a CMake list would take apart stand in for themselves as
# placeholders until the page is written.
set(semicolon "<:semicolon:>")
set(open_bracket "<:open:>")
set(close_bracket "<:close:>")

# Text for the page: a backslash is \e, the minus sign \-.
function(escape_text text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "−" "\\-" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Code as typed: a hyphen is a minus too, so that options copy as typed.
function(escape_code text out)
  escape_text("${text}" text)
  string(REPLACE "-" "\\-" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A line of running text with its `code` spans in bold.
function(inline text out)
  set(result "")
  while(text MATCHES "^([^`]*)`([^`]*)`(.*)$")
    set(rest "${CMAKE_MATCH_3}")
    escape_text("${CMAKE_MATCH_1}" before)
    escape_code("${CMAKE_MATCH_2}" code)
    string(APPEND result "${before}\\fB${code}\\fR")
    set(text "${rest}")
  endwhile()
  escape_text("${text}" text)
  set(${out} "${result}${text}" PARENT_SCOPE)
endfunction()

# A request line of the page.
function(request line)
  set(page "${page}${line}\n" PARENT_SCOPE)
endfunction()

# A text line of the page; one starting with a control character is text
# all the same.
function(emit line)
  if(line MATCHES "^[.']")
    set(line "\\&${line}")
  endif()
  set(page "${page}${line}\n" PARENT_SCOPE)
endfunction()

# The cells of a table row, trimmed.
function(cells row out)
  string(REGEX REPLACE "^ *\\| *" "" row "${row}")
  string(REGEX REPLACE " *\\| *$" "" row "${row}")
  string(REGEX REPLACE " *\\| *" ";" row "${row}")
  set(${out} "${row}" PARENT_SCOPE)
endfunction()

macro(end_block)
  if(block STREQUAL "code")
    request(".fi")
    request(".RE")
  endif()
  set(block "")
endmacro()

file(READ "${INPUT}" text)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${open_bracket}" text "${text}")
string(REPLACE "]" "${close_bracket}" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

string(TOUPPER "${NAME}" title)
set(page "")
request(".TH ${title} ${SECTION} \"\" \"${SOURCE}\" \"User Commands\"")
request(".SH NAME")
escape_text("${SUMMARY}" summary)
emit("${NAME} \\- ${summary}")
request(".SH DESCRIPTION")

set(block "")  # what the lines before were: paragraph, code, list, table
foreach(line IN LISTS lines)
  if(line MATCHES "^# ")
    continue()
  elseif(line MATCHES "^ *$")
    end_block()
  elseif(line MATCHES "^(##+) +(.*)$")
    end_block()
    set(heading "${CMAKE_MATCH_2}")
    inline("${heading}" heading)
    if(CMAKE_MATCH_1 STREQUAL "##")
      string(TOUPPER "${heading}" heading)
      request(".SH \"${heading}\"")
    else()
      request(".SS \"${heading}\"")
    endif()
  elseif(block STREQUAL "code" OR (NOT block MATCHES "^(paragraph|list)$" AND line MATCHES "^    "))
    if(NOT block STREQUAL "code")
      set(block "code")
      request(".PP")
      request(".RS 4")
      request(".nf")
    endif()
    string(REGEX REPLACE "^    " "" line "${line}")
    escape_code("${line}" line)
    emit("${line}")
  elseif(line MATCHES "^ *\\|")
    if(line MATCHES "^ *\\|[-| :]+\\| *$")
      continue()  # the line under the headings
    endif()
    cells("${line}" row)
    if(NOT block STREQUAL "table")
      set(block "table")
      set(columns "${row}")
      continue()
    endif()
    list(GET row 0 tag)
    inline("${tag}" tag)
    request(".TP")
    emit("${tag}")
    list(LENGTH row count)
    math(EXPR last "${count} - 1")
    foreach(index RANGE 1 ${last})
      list(GET row ${index} cell)
      inline("${cell}" cell)
      if(count GREATER 2)
        list(GET columns ${index} column)
        inline("${column}" column)
        if(index GREATER 1)
          request(".br")
        endif()
        set(cell "${column}: ${cell}")
      endif()
      emit("${cell}")
    endforeach()
  elseif(line MATCHES "^- (.*)$")
    set(block "list")
    inline("${CMAKE_MATCH_1}" item)
    request(".IP \\(bu 2")
    emit("${item}")
  else()
    if(NOT block MATCHES "^(paragraph|list)$")
      set(block "paragraph")
      request(".PP")
    endif()
    string(STRIP "${line}" line)
    inline("${line}" line)
    emit("${line}")
  endif()
endforeach()
end_block()

string(REPLACE "${semicolon}" ";" page "${page}")
string(REPLACE "${open_bracket}" "[" page "${page}")
string(REPLACE "${close_bracket}" "]" page "${page}")
file(WRITE "${OUTPUT}" "${page}")
