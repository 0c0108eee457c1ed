# The layers of the house are static libraries, and the build keeps the
# arrows pointing down: a library's headers are reachable as "<folder>/X.h"
# only by the library itself and by what links it. Its include root is a
# folder of the build holding one link to its source folder, so an include of
# a layer the library does not link finds no header and does not compile.
#
#   quelix_camada(alvo pasta)   pasta relative to src/, e.g. "integracoes/bruma"
function(quelix_camada alvo pasta)
  set(raiz "${CMAKE_BINARY_DIR}/camadas/${alvo}")
  set(link "${raiz}/${pasta}")
  get_filename_component(pai "${link}" DIRECTORY)
  file(MAKE_DIRECTORY "${pai}")
  if(NOT EXISTS "${link}")
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${pasta}" "${link}" SYMBOLIC)
  endif()
  target_include_directories(${alvo} PUBLIC "${raiz}")
endfunction()
