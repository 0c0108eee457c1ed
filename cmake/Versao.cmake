# Writes the source of `quelix --versao`: the project's version and the
# commit the build is made from. It runs at every build and rewrites the file
# only when its text changed, so an unchanged tree recompiles nothing.
#   cmake -DFONTE=<source dir> -DMODELO=<Versao.cpp.in> -DDESTINO=<Versao.cpp>
#         -DVERSAO=<x.y> -P Versao.cmake
# A tree without git (a source archive) takes the commit from the
# environment's QUELIX_COMMIT, or says "desconhecido".
if(DEFINED ENV{QUELIX_COMMIT} AND NOT "$ENV{QUELIX_COMMIT}" STREQUAL "")
  set(QUELIX_COMMIT "$ENV{QUELIX_COMMIT}")
else()
  execute_process(COMMAND git -C "${FONTE}" rev-parse --short=12 HEAD
                  OUTPUT_VARIABLE QUELIX_COMMIT RESULT_VARIABLE resultado
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT resultado EQUAL 0 OR QUELIX_COMMIT STREQUAL "")
    set(QUELIX_COMMIT "desconhecido")
  else()
    # Built from a tree with changes not committed: the commit alone would
    # name code that is not what runs.
    execute_process(COMMAND git -C "${FONTE}" status --porcelain --untracked-files=no
                    OUTPUT_VARIABLE alteracoes ERROR_QUIET)
    if(NOT alteracoes STREQUAL "")
      string(APPEND QUELIX_COMMIT "-modificado")
    endif()
  endif()
endif()
set(QUELIX_VERSAO "${VERSAO}")
configure_file("${MODELO}" "${DESTINO}" @ONLY)
