# Builds the one-file movie: the template with the style sheet, the catalog and the
# scripts (in the given order) put in place of its markers.
#   cmake -DTEMPLATE=... -DSTYLE=... -DCATALOG=... -DSCRIPTS=a.js|b.js -DOUTPUT=... -P bundle.cmake
# Policies of 3.25: markers like /*@STYLE@*/ must stay literal text.
cmake_minimum_required(VERSION 3.25)
foreach(var TEMPLATE STYLE CATALOG SCRIPTS OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "bundle.cmake: ${var} not given")
    endif()
endforeach()

file(READ "${TEMPLATE}" page)
file(READ "${STYLE}" style)
file(READ "${CATALOG}" catalog)

# Inside <script type="application/json"> no "<" may appear; as \u003c it is the same JSON.
string(REPLACE "<" "\\u003c" catalog "${catalog}")

string(REPLACE "|" ";" script_list "${SCRIPTS}")
set(scripts "")
foreach(js IN LISTS script_list)
    file(READ "${js}" code)
    string(TOLOWER "${code}" lower)
    string(FIND "${lower}" "</script" at)
    string(FIND "${lower}" "<!--" at2)
    if(NOT at EQUAL -1 OR NOT at2 EQUAL -1)
        message(FATAL_ERROR "${js} contains text that would end the inline script")
    endif()
    get_filename_component(name "${js}" NAME)
    string(APPEND scripts "// ---- ${name} ----\n${code}\n")
endforeach()

string(TOLOWER "${style}" lower)
string(FIND "${lower}" "</style" at)
if(NOT at EQUAL -1)
    message(FATAL_ERROR "${STYLE} contains </style")
endif()

foreach(marker STYLE CATALOG SCRIPTS)
    string(FIND "${page}" "/*@${marker}@*/" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "template lacks the marker /*@${marker}@*/")
    endif()
endforeach()
string(REPLACE "/*@STYLE@*/" "${style}" page "${page}")
string(REPLACE "/*@CATALOG@*/" "${catalog}" page "${page}")
string(REPLACE "/*@SCRIPTS@*/" "${scripts}" page "${page}")

# Write through a temporary file so a failed run never leaves half a movie.
file(WRITE "${OUTPUT}.tmp" "${page}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
