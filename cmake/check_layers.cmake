cmake_minimum_required(VERSION 3.25)
# Fails when a file of one source folder includes a header of a folder it may not use, or a
# third-party library's header outside the places that library belongs to.
# Called by the build for each folder: cmake -DFOLDER=<name> -DDIR=<folder path> -DALLOWED=<a,b,c>
# -DSTAMP=<file> -P check_layers.cmake
string(REPLACE "," ";" allowed "${ALLOWED}")
file(GLOB sources "${DIR}/*.h" "${DIR}/*.cpp")
set(problems "")
foreach(file IN LISTS sources)
  file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z_]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z_]+)/.*" "\\1" target "${line}")
    if(NOT target STREQUAL FOLDER AND NOT target IN_LIST allowed)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" header "${line}")
      list(APPEND problems "  ${file} includes ${header}")
    endif()
  endforeach()
endforeach()

# Third-party headers: "<pattern>|<folders and files allowed>".
set(third_party
  "^libxml/|xml"
  "^curl/|xml/http_get.cpp"
  "^archive(_entry)?\\.h$|search/zip_unpack.cpp"
  "^xlsxwriter|app"
  "^Qt?[A-Z]|ui")
foreach(file IN LISTS sources)
  get_filename_component(name "${file}" NAME)
  file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+<")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+<([^>]+)>.*" "\\1" header "${line}")
    foreach(rule IN LISTS third_party)
      string(FIND "${rule}" "|" bar)
      string(SUBSTRING "${rule}" 0 ${bar} pattern)
      math(EXPR from "${bar} + 1")
      string(SUBSTRING "${rule}" ${from} -1 places_text)
      string(REPLACE "," ";" places "${places_text}")
      if(header MATCHES "${pattern}" AND NOT FOLDER IN_LIST places AND NOT "${FOLDER}/${name}" IN_LIST places)
        list(APPEND problems "  ${file} includes <${header}>, which belongs only in: ${places_text}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" text)
  string(REPLACE ";" " " allowed_text "${allowed}")
  message(FATAL_ERROR "src/${FOLDER} may include only its own headers and those of: ${allowed_text}\n${text}\n"
                      "Move the code to the folder where it belongs (docs/architecture.md).")
endif()
get_filename_component(stamp_dir "${STAMP}" DIRECTORY)
file(MAKE_DIRECTORY "${stamp_dir}")
file(TOUCH "${STAMP}")
