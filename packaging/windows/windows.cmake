# The Windows downloads, left in the build folder: the installer
# vorel-<version>-win64-setup.exe (NSIS) and vorel-<version>-win64.zip.
# Both are made from one staged folder, laid out as the zip holds it, with
# the modules stripped.
find_program(VOREL_MAKENSIS makensis)
find_program(VOREL_ZIP zip)
if(NOT VOREL_MAKENSIS OR NOT VOREL_ZIP OR NOT TARGET vorel_lv2_editor OR NOT TARGET vorel_clap)
  message(STATUS "Windows installer and zip: not made (need makensis, zip, DPF and the editor)")
  return()
endif()
set(VOREL_WIN_NAME vorel-${PROJECT_VERSION}-win64)
set(VOREL_WIN_SETUP ${PROJECT_BINARY_DIR}/${VOREL_WIN_NAME}-setup.exe)
set(VOREL_WIN_ZIP ${PROJECT_BINARY_DIR}/${VOREL_WIN_NAME}.zip)
set(stage ${PROJECT_BINARY_DIR}/windows-stage/${VOREL_WIN_NAME})
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/windows-stage)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${PROJECT_BINARY_DIR}/windows-README.txt @ONLY
               NEWLINE_STYLE CRLF)
set(modules ${stage}/VST3/vorel.vst3/Contents/x86_64-win/vorel.vst3 ${stage}/CLAP/vorel.clap
            ${stage}/LV2/vorel.lv2/vorel.dll ${stage}/LV2/vorel.lv2/vorel_editor.dll ${stage}/LADSPA/vorel.dll)
add_custom_command(OUTPUT ${VOREL_WIN_SETUP} ${VOREL_WIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${VOREL_WIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_BINARY_DIR}/vst3/vorel.vst3 ${stage}/VST3/vorel.vst3
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_BINARY_DIR}/lv2/vorel.lv2 ${stage}/LV2/vorel.lv2
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vorel_clap> ${stage}/CLAP/vorel.clap
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vorel> ${stage}/LADSPA/vorel.dll
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/windows-README.txt ${stage}/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt
  COMMAND ${CMAKE_STRIP} --strip-unneeded ${modules}
  COMMAND ${VOREL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DOUT=${VOREL_WIN_SETUP}
          ${CMAKE_CURRENT_LIST_DIR}/vorel.nsi
  COMMAND ${VOREL_ZIP} -qrX ${VOREL_WIN_ZIP} ${VOREL_WIN_NAME}
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/windows-stage
  DEPENDS vorel vorel_lv2 vorel_lv2_editor vorel_lv2_bundle vorel_clap vorel_vst3
          ${CMAKE_CURRENT_LIST_DIR}/vorel.nsi ${PROJECT_BINARY_DIR}/windows-README.txt
  COMMENT "Making ${VOREL_WIN_NAME}-setup.exe and ${VOREL_WIN_NAME}.zip"
  VERBATIM)
add_custom_target(vorel_windows_packages ALL DEPENDS ${VOREL_WIN_SETUP} ${VOREL_WIN_ZIP})
