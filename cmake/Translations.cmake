# Every user-visible text is looked up with its English text as the id (qtTrId through L()),
# so "lupdate" collects the ids from the sources and "translations" compiles the catalogues
# found in resources/translations. No catalogue is required for the program to run.
find_program(LUPDATE_EXECUTABLE lupdate HINTS /usr/lib/qt6/bin)
find_program(LRELEASE_EXECUTABLE lrelease HINTS /usr/lib/qt6/bin)
set(TESSARIN_TS_FILES ${CMAKE_SOURCE_DIR}/resources/translations/tessarin2_ja.ts)
if(LUPDATE_EXECUTABLE)
  add_custom_target(lupdate
    COMMAND ${LUPDATE_EXECUTABLE} -tr-function-alias qtTrId+=L -locations none
            platform model app contacts_table contact_info editors find merge print
            -ts ${TESSARIN_TS_FILES}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Collecting user-visible texts")
endif()
if(LRELEASE_EXECUTABLE)
  set(qm_files)
  foreach(ts ${TESSARIN_TS_FILES})
    if(EXISTS ${ts})
      get_filename_component(base ${ts} NAME_WE)
      set(qm ${CMAKE_BINARY_DIR}/translations/${base}.qm)
      add_custom_command(OUTPUT ${qm}
        COMMAND ${LRELEASE_EXECUTABLE} -idbased ${ts} -qm ${qm}
        DEPENDS ${ts})
      list(APPEND qm_files ${qm})
    endif()
  endforeach()
  add_custom_target(translations ALL DEPENDS ${qm_files})
endif()
