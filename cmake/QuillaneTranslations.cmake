# Translations of the program's own texts with Qt's Linguist tools. The
# sources hold the Japanese texts, the source language; each other language
# has a .ts file kept in the repository, which the target
# update_translations brings up to date with the sources (lupdate). lrelease
# builds each into a .qm that the program embeds under :/i18n.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)

# lupdate's options and sources are the same for the update and for the test
# that the kept files are up to date and complete, so that a file that
# passes is exactly what an update writes. Without source locations a .ts
# changes only where a text does, which keeps its diffs and merges small.
# The Qt-free layers name their texts through quillane::Translate.
set(QUILLANE_LUPDATE_OPTIONS -silent -locations none -no-obsolete -source-language ja
    -tr-function-alias translate+=Translate)
set(QUILLANE_LUPDATE_SOURCES ${CMAKE_BINARY_DIR}/translations/lupdate-sources.lst)

# The texts of a browse component's stored form, which its owner loads
# translated in `context`, as a C++ file for lupdate (which knows only C++
# and Qt Designer forms), so that the form stays their one source.
function(_quillane_stored_form_texts form context out)
  file(STRINGS ${form} lines ENCODING UTF-8
       REGEX "^(Caption|Text1|Text2|OKBtnCaption|CancelBtnCaption|CustomBtnCaption) *=")
  set(content "// Generated from ${form}.\n")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[A-Za-z0-9]+ *= *'(([^']|'')*)' *$")
      message(FATAL_ERROR "${form}: a text lupdate should see is more than one quoted string: ${line}")
    endif()
    string(REPLACE "''" "'" text "${CMAKE_MATCH_1}")
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(APPEND content "QT_TRANSLATE_NOOP(\"${context}\", \"${text}\")\n")
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${form})
  file(CONFIGURE OUTPUT ${out} CONTENT "${content}" @ONLY)
endfunction()

# quillane_add_translations(target TS_FILES file.ts... SOURCE_DIRS dir...
#                           [STORED_FORMS form... FORM_CONTEXT context]):
# the translations of the texts in the headers, sources and Qt Designer forms
# of the given folders and of the stored forms, embedded into `target` as
# :/i18n/<name of the .ts>.qm.
function(quillane_add_translations target)
  cmake_parse_arguments(T "" "FORM_CONTEXT" "TS_FILES;SOURCE_DIRS;STORED_FORMS" ${ARGN})
  set(globs)
  foreach(dir IN LISTS T_SOURCE_DIRS)
    list(APPEND globs ${dir}/*.h ${dir}/*.cpp ${dir}/*.ui)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  foreach(form IN LISTS T_STORED_FORMS)
    get_filename_component(name ${form} NAME)
    set(texts ${CMAKE_BINARY_DIR}/translations/${name}.texts.cpp)
    _quillane_stored_form_texts(${form} ${T_FORM_CONTEXT} ${texts})
    list(APPEND sources ${texts})
  endforeach()
  list(JOIN sources "\n" lines)
  file(CONFIGURE OUTPUT ${QUILLANE_LUPDATE_SOURCES} CONTENT "${lines}\n" @ONLY)
  # For the test of the kept files.
  set_property(GLOBAL PROPERTY QUILLANE_TS_FILES ${T_TS_FILES})
  set_property(GLOBAL PROPERTY QUILLANE_LUPDATE_OPTIONS ${QUILLANE_LUPDATE_OPTIONS})
  set_property(GLOBAL PROPERTY QUILLANE_LUPDATE_SOURCES ${QUILLANE_LUPDATE_SOURCES})

  add_custom_target(update_translations
    COMMAND Qt6::lupdate ${QUILLANE_LUPDATE_OPTIONS} @${QUILLANE_LUPDATE_SOURCES} -ts ${T_TS_FILES}
    COMMENT "Updating ${T_TS_FILES} from the sources"
    VERBATIM)
  qt_add_lrelease(${target} TS_FILES ${T_TS_FILES} QM_FILES_OUTPUT_VARIABLE qm_files OPTIONS -silent)
  qt_add_resources(${target} ${target}_translations PREFIX /i18n BASE ${CMAKE_CURRENT_BINARY_DIR}
                   FILES ${qm_files})
endfunction()
