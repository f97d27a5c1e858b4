# Writes the index of the demonstration pages from the README's table of programs:
#   cmake -DREADME=README.md -DOUTPUT=<site>/index.html -P index.cmake
# Each row | ![name](docs/gallery/name.png) | `name` | description | becomes a link to name.html
# with its picture (copied beside the index) and its description.
file(STRINGS ${README} rows REGEX "^\\| !\\[[a-z0-9_]+\\]\\(docs/gallery/[a-z0-9_]+\\.png\\) \\| `[a-z0-9_]+` \\|")
get_filename_component(readme_dir ${README} ABSOLUTE)
get_filename_component(readme_dir ${readme_dir} DIRECTORY)
get_filename_component(site ${OUTPUT} DIRECTORY)
set(items "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\\| !\\[[^]]*\\]\\(([^)]+)\\) \\| `([a-z0-9_]+)` \\| (.*) \\|$" "\\1;\\2;\\3" fields "${row}")
  list(GET fields 0 picture)
  list(GET fields 1 name)
  list(GET fields 2 description)
  string(REPLACE "&" "&amp;" description "${description}")
  string(REPLACE "<" "&lt;" description "${description}")
  string(REPLACE ">" "&gt;" description "${description}")
  string(REGEX REPLACE "`([^`]*)`" "<code>\\1</code>" description "${description}")
  file(COPY ${readme_dir}/${picture} DESTINATION ${site}/gallery)
  get_filename_component(picture_file ${picture} NAME)
  string(APPEND items "<li><a href=\"${name}.html\"><img src=\"gallery/${picture_file}\" alt=\"\" width=\"100\">"
                      "<strong>${name}</strong></a> ${description}</li>\n")
endforeach()
if(items STREQUAL "")
  message(FATAL_ERROR "${README} has no table of programs to make the index from")
endif()
file(WRITE ${OUTPUT} "<!doctype html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>easel demonstration programs</title>
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
<h1>easel demonstration programs</h1>
<p>Each program runs in this page as it runs on the desktop: click one to open it.</p>
<ul>
${items}</ul>
</body>
</html>
")
