# The manual page and the bash, zsh and fish completions of tovilut, printed
# by the program from its own command definitions at build time and
# installed where Debian's man and shells look for them.
set(TOVI_REFERENCE_DIR ${PROJECT_BINARY_DIR}/reference)
file(MAKE_DIRECTORY ${TOVI_REFERENCE_DIR})
set(TOVI_REFERENCE_FILES
  "man|tovilut.1|${CMAKE_INSTALL_MANDIR}/man1"
  "bash|tovilut|${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
  "zsh|_tovilut|${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions"
  "fish|tovilut.fish|${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d")
set(reference_outputs)
foreach(entry ${TOVI_REFERENCE_FILES})
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 kind)
  list(GET fields 1 name)
  list(GET fields 2 destination)
  set(output ${TOVI_REFERENCE_DIR}/${name})
  add_custom_command(OUTPUT ${output}
    COMMAND tovilut --generate ${kind} > ${output}
    DEPENDS tovilut
    COMMENT "Generating ${name}")
  if(kind STREQUAL "man")
    # Debian keeps manual pages compressed, without a time stamp.
    add_custom_command(OUTPUT ${output}.gz
      COMMAND gzip -9nf -k ${output}
      DEPENDS ${output})
    set(output ${output}.gz)
  endif()
  list(APPEND reference_outputs ${output})
  install(FILES ${output} DESTINATION ${destination})
endforeach()
add_custom_target(tovilut_reference ALL DEPENDS ${reference_outputs})
