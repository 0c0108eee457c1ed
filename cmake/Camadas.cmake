# The layers of the house are static libraries, and the build keeps the
# arrows pointing down: a library's headers are reachable as "<folder>/X.h"
# only by the library itself and by what links it. Its include root is a
# folder of the build holding one link to its source folder, so an include of
# a layer the library does not link finds no header and does not compile.
#
#   quelix_camada(alvo pasta)   pasta relative to src/, e.g. "integracoes/bruma"
#   quelix_camada(alvo pasta INTERNA sub PUBLICOS sub/A.h ...)
#       keeps the subfolder "sub" inside the library: the library itself
#       reaches all of it, what links the library only the headers named
#       after PUBLICOS.
function(quelix_camada alvo pasta)
  cmake_parse_arguments(PARSE_ARGV 2 CAMADA "" "INTERNA" "PUBLICOS")
  set(raiz "${CMAKE_BINARY_DIR}/camadas/${alvo}")
  if(NOT CAMADA_INTERNA)
    quelix_liga("${PROJECT_SOURCE_DIR}/src/${pasta}" "${raiz}/${pasta}")
    target_include_directories(${alvo} PUBLIC "${raiz}")
    return()
  endif()
  # The library's own root reaches the whole folder.
  set(propria "${CMAKE_BINARY_DIR}/camadas/${alvo}.interna")
  quelix_liga("${PROJECT_SOURCE_DIR}/src/${pasta}" "${propria}/${pasta}")
  target_include_directories(${alvo} PRIVATE "${propria}")
  # A build folder made before the subfolder was internal holds one link to
  # the whole folder there.
  if(IS_SYMLINK "${raiz}/${pasta}")
    file(REMOVE "${raiz}/${pasta}")
  endif()
  # The root of what links it: every entry of the folder but the internal
  # subfolder, which holds only its public headers. The listing is checked
  # at each build, so a new header is reachable without editing this.
  file(GLOB entradas CONFIGURE_DEPENDS LIST_DIRECTORIES true "${PROJECT_SOURCE_DIR}/src/${pasta}/*")
  foreach(entrada IN LISTS entradas)
    get_filename_component(nome "${entrada}" NAME)
    if(NOT nome STREQUAL CAMADA_INTERNA)
      quelix_liga("${entrada}" "${raiz}/${pasta}/${nome}")
    endif()
  endforeach()
  foreach(publico IN LISTS CAMADA_PUBLICOS)
    quelix_liga("${PROJECT_SOURCE_DIR}/src/${pasta}/${publico}" "${raiz}/${pasta}/${publico}")
  endforeach()
  target_include_directories(${alvo} INTERFACE "${raiz}")
endfunction()

# A symbolic link at `link` to `destino`, its parent folders made.
function(quelix_liga destino link)
  get_filename_component(pai "${link}" DIRECTORY)
  file(MAKE_DIRECTORY "${pai}")
  if(NOT EXISTS "${link}" AND NOT IS_SYMLINK "${link}")
    file(CREATE_LINK "${destino}" "${link}" SYMBOLIC)
  endif()
endfunction()
