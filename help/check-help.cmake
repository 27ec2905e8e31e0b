# Checks the HTML help: every page is there, each page is well formed (doctype, language,
# character set, title, stylesheet, balanced tags, escaped "<" and "&", unique ids), every
# link between the pages and to their pictures resolves (also to an id), nothing points outside
# the help, and the reference page covers every function keyword, constant and message.
#
#   cmake -DHELP_DIR=<folder> -P check-help.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT HELP_DIR)
  message(FATAL_ERROR "set HELP_DIR to the help folder")
endif()

set(pages index.html context-1.html context-3.html context-6.html context-7.html
    context-9.html context-10.html functions.html units.html)
set(void_elements area base br col embed hr img input link meta source track wbr)
set(failures 0)

macro(fail page text)
  message(SEND_ERROR "${page}: ${text}")
  math(EXPR failures "${failures} + 1")
endmacro()

foreach(page IN LISTS pages ITEMS style.css)
  if(NOT EXISTS "${HELP_DIR}/${page}")
    message(FATAL_ERROR "${page}: missing")
  endif()
endforeach()

# Every HTML file in the folder is checked, listed or not.
file(GLOB found RELATIVE "${HELP_DIR}" "${HELP_DIR}/*.html")
foreach(page IN LISTS found)
  if(NOT page IN_LIST pages)
    fail(${page} "not one of the listed pages; add it to the list in check-help.cmake")
  endif()
endforeach()

# Reads a page with ";", "[" and "]" turned into "_", so that CMake's list handling leaves the
# text alone (a character reference then ends in "_").
function(read_page page out)
  file(READ "${HELP_DIR}/${page}" text)
  string(REPLACE ";" "_" text "${text}")
  string(REPLACE "[" "_" text "${text}")
  string(REPLACE "]" "_" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The ids of every page, for links with a fragment.
foreach(page IN LISTS pages)
  read_page(${page} text)
  string(REGEX MATCHALL " id=\"[^\"]*\"" ids "${text}")
  set(names "")
  foreach(id IN LISTS ids)
    string(REGEX REPLACE "^ id=\"(.*)\"$" "\\1" id "${id}")
    if(id IN_LIST names)
      fail(${page} "id \"${id}\" is used twice")
    endif()
    list(APPEND names "${id}")
  endforeach()
  set(ids_${page} "${names}")
endforeach()

foreach(page IN LISTS pages)
  read_page(${page} text)

  # Head.
  if(NOT text MATCHES "^<!DOCTYPE html>\n<html lang=\"ja\">")
    fail(${page} "does not start with <!DOCTYPE html> and <html lang=\"ja\">")
  endif()
  foreach(needed "<meta charset=\"utf-8\">" "<link rel=\"stylesheet\" href=\"style.css\">"
                 "<main>" "<h1>")
    string(FIND "${text}" "${needed}" at)
    if(at LESS 0)
      fail(${page} "has no ${needed}")
    endif()
  endforeach()
  if(NOT text MATCHES "<title>[^<]+</title>")
    fail(${page} "has no title")
  endif()
  if(text MATCHES "<script" OR text MATCHES "<iframe" OR text MATCHES "<object")
    fail(${page} "uses scripts or embedded objects")
  endif()

  # Comments out, then every tag: known shape, and opened and closed in order.
  string(REGEX REPLACE "<!--([^-]|-[^-])*-->" "" body "${text}")
  string(REGEX REPLACE "^<!DOCTYPE html>" "" body "${body}")
  string(REGEX MATCHALL "<[^>]*>?" tags "${body}")
  set(stack "")
  foreach(tag IN LISTS tags)
    if(tag MATCHES "^</([a-z][a-z0-9]*)>$")
      set(name "${CMAKE_MATCH_1}")
      list(LENGTH stack depth)
      if(depth EQUAL 0)
        fail(${page} "</${name}> closes nothing")
        continue()
      endif()
      list(GET stack -1 open)
      if(NOT open STREQUAL name)
        fail(${page} "</${name}> closes <${open}>")
        continue()
      endif()
      list(POP_BACK stack)
    elseif(tag MATCHES "^<([a-z][a-z0-9]*)( [a-z-]+(=\"[^\"<]*\")?)*>$")
      set(name "${CMAKE_MATCH_1}")
      if(NOT name IN_LIST void_elements)
        list(APPEND stack "${name}")
      endif()
    else()
      fail(${page} "malformed tag or unescaped \"<\": ${tag}")
    endif()
  endforeach()
  if(NOT stack STREQUAL "")
    fail(${page} "elements left open: ${stack}")
  endif()

  # Every "&" starts a character reference.
  string(REGEX REPLACE "&([a-zA-Z]+|#[0-9]+|#x[0-9a-fA-F]+)_" "" rest "${body}")
  string(FIND "${rest}" "&" at)
  if(at GREATER_EQUAL 0)
    string(SUBSTRING "${rest}" ${at} 30 near)
    fail(${page} "unescaped \"&\" near: ${near}")
  endif()

  # Links: to a page of the help (and one of its ids), or to an id of this page.
  string(REGEX MATCHALL "(href|src)=\"[^\"]*\"" links "${body}")
  set(linked "")
  foreach(link IN LISTS links)
    string(REGEX REPLACE "^(href|src)=\"(.*)\"$" "\\2" target "${link}")
    if(target MATCHES "^#(.+)$")
      set(file "${page}")
      set(fragment "${CMAKE_MATCH_1}")
    elseif(target MATCHES "^([a-z0-9-]+\\.(html|css|png))(#(.+))?$")
      set(file "${CMAKE_MATCH_1}")
      set(fragment "${CMAKE_MATCH_4}")
      if(NOT EXISTS "${HELP_DIR}/${file}")
        fail(${page} "links to the missing ${file}")
        continue()
      endif()
    else()
      fail(${page} "links outside the help: ${target}")
      continue()
    endif()
    list(APPEND linked "${file}")
    if(NOT fragment STREQUAL "" AND NOT fragment IN_LIST ids_${file})
      fail(${page} "links to ${file}#${fragment}, which has no such id")
    endif()
  endforeach()
  set(links_${page} "${linked}")
  if(NOT page STREQUAL "index.html" AND NOT "index.html" IN_LIST linked)
    fail(${page} "has no link back to the contents (index.html)")
  endif()
endforeach()

# The contents page reaches every page.
foreach(page IN LISTS pages)
  if(NOT page STREQUAL "index.html" AND NOT page IN_LIST links_index.html)
    fail(index.html "does not link to ${page}")
  endif()
endforeach()

# The reference covers every function keyword, constant and message.
set(keywords
    sin cos tan asin acos atan sinh cosh tanh asinh acosh atanh ln log exp sqr abs int sgn rad
    deg db sinc fact rcp round floor ceil rnd nrnd hypot arg npr ncr gcd lcm series mem rm loop
    gauss lorentz gamma gammaln gammainc beta betainc besselj bessely erf erfc if not and or xor
    eq ne ge gt le lt sum avg min max var std prod geo har normal binom fdist tdist chidist date
    time now ymd)
list(LENGTH keywords count)
if(NOT count EQUAL 80)
  message(FATAL_ERROR "check-help.cmake: the keyword list has ${count} entries, not 80")
endif()
foreach(word IN LISTS keywords)
  if(NOT "f-${word}" IN_LIST ids_functions.html)
    fail(functions.html "has no entry for the function ${word} (id f-${word})")
  endif()
endforeach()
foreach(name pi true false e me mp c h k na eo uo g)
  if(NOT "c-${name}" IN_LIST ids_functions.html)
    fail(functions.html "has no entry for the constant ${name} (id c-${name})")
  endif()
endforeach()
read_page(functions.html text)
foreach(message "文法が違います。" "引数の型が違います。" "左右の括弧が違います。"
                "現在サポートしていません。" "オーバーフローしました。" "0 で除算しました。"
                "インデックスが有効範囲にありません。" "式が複雑すぎます。")
  string(FIND "${text}" "${message}" at)
  if(at LESS 0)
    fail(functions.html "does not explain the message ${message}")
  endif()
endforeach()

# The stylesheet: balanced braces, nothing fetched from elsewhere.
file(READ "${HELP_DIR}/style.css" css)
string(REGEX REPLACE "[^{]" "" open "${css}")
string(REGEX REPLACE "[^}]" "" close "${css}")
string(LENGTH "${open}" opens)
string(LENGTH "${close}" closes)
if(NOT opens EQUAL closes)
  fail(style.css "has ${opens} \"{\" but ${closes} \"}\"")
endif()
if(css MATCHES "@import" OR css MATCHES "url\\(")
  fail(style.css "loads other files")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} problem(s) in the help")
endif()
list(LENGTH pages count)
message(STATUS "help: ${count} pages and the stylesheet are complete and linked")
