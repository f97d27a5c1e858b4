# Writes the index of the program pages:
#   cmake -DPROGRAMS=<programs folder> -DNAMES=<name,name,...> -DGALLERY=<pictures folder>
#         -DOUTPUT=<site>/index.html -P index.cmake
# Every program named whose page <name>.html is in the site becomes a link to it, with its picture
# from the gallery where there is one (copied beside the index), and the first sentence of the
# comment its main.cpp (or CMakeLists.txt) opens with. Run after the pages are built, so that a
# site of one page, or one where a program did not compile, links to no missing page.
string(REPLACE "," ";" names "${NAMES}")
get_filename_component(site ${OUTPUT} DIRECTORY)

# The first sentence of the comment lines at the top of FILE.
function(opening_sentence out file)
  file(STRINGS ${file} lines)
  set(text "")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^(//|#) ?(.*)$")
      break()
    endif()
    string(APPEND text " ${CMAKE_MATCH_2}")
  endforeach()
  string(STRIP "${text}" text)
  string(FIND "${text}" ". " stop)
  if(stop GREATER_EQUAL 0)
    math(EXPR stop "${stop} + 1")
    string(SUBSTRING "${text}" 0 ${stop} text)
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(items "")
foreach(name IN LISTS names)
  if(NOT EXISTS ${site}/${name}.html)
    continue()
  endif()
  set(source ${PROGRAMS}/${name}/main.cpp)
  if(NOT EXISTS ${source})
    set(source ${PROGRAMS}/${name}/CMakeLists.txt)
  endif()
  opening_sentence(description ${source})
  string(REPLACE "&" "&amp;" description "${description}")
  string(REPLACE "<" "&lt;" description "${description}")
  string(REPLACE ">" "&gt;" description "${description}")
  set(picture "")
  if(EXISTS ${GALLERY}/${name}.png)
    file(COPY ${GALLERY}/${name}.png DESTINATION ${site}/gallery)
    set(picture "<img src=\"gallery/${name}.png\" alt=\"\" width=\"100\">")
  endif()
  string(APPEND items "<li><a href=\"${name}.html\">${picture}<strong>${name}</strong></a> ${description}</li>\n")
endforeach()
if(items STREQUAL "")
  set(items "<li>No program's page has been built yet.</li>\n")
endif()
file(WRITE ${OUTPUT} "<!doctype html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>easel programs</title>
<style>
  body { margin: 0 auto; padding: 16px; max-width: 52em; background: #202124; color: #e8eaed; font: 15px/1.4 sans-serif; }
  a { color: #8ab4f8; }
  ul { list-style: none; padding: 0; }
  li { display: flow-root; margin: 12px 0; }
  img { float: left; margin-right: 12px; }
  strong { display: block; }
</style>
</head>
<body>
<h1>easel programs</h1>
<p>Each program runs in this page as it runs on the desktop: click one to open it.</p>
<ul>
${items}</ul>
</body>
</html>
")
