# Checks of what gets installed, run by ctest: the desktop entry and the metainfo against
# their validators, the man pages through groff, an install into a scratch folder with the
# installed terminal started there, and the Debian package. A check whose tool is missing
# is skipped (tools/project.sh installs them all).
set(KIVERN_SKIP_CODE 77)

function(kivern_packaging_test name tool)
  find_program(KIVERN_TOOL_${tool} ${tool})
  if(KIVERN_TOOL_${tool})
    add_test(NAME ${name} COMMAND ${ARGN})
  else()
    add_test(NAME ${name} COMMAND sh -c "echo '${tool} is missing'; exit ${KIVERN_SKIP_CODE}")
  endif()
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${KIVERN_SKIP_CODE} TIMEOUT 60
    LABELS packaging)
endfunction()

kivern_packaging_test(packaging_desktop_entry desktop-file-validate
  desktop-file-validate ${KIVERN_PACKAGING_DIR}/${KIVERN_APP_ID}.desktop)
kivern_packaging_test(packaging_metainfo appstreamcli
  appstreamcli validate --no-net --explain ${KIVERN_PACKAGING_DIR}/${KIVERN_APP_ID}.metainfo.xml)
kivern_packaging_test(packaging_man_pages groff
  sh ${KIVERN_PACKAGING_DIR}/check_man.sh ${KIVERN_MAN_OUTPUTS})

if(TARGET kivern-vdev)
  set(KIVERN_WITH_VDEV 1)
else()
  set(KIVERN_WITH_VDEV 0)
endif()
kivern_packaging_test(packaging_install desktop-file-validate
  sh ${KIVERN_PACKAGING_DIR}/test_install.sh ${CMAKE_BINARY_DIR} ${KIVERN_APP_ID} ${KIVERN_WITH_VDEV})
kivern_packaging_test(packaging_deb dpkg-shlibdeps
  sh ${KIVERN_PACKAGING_DIR}/test_deb.sh ${CMAKE_BINARY_DIR} ${KIVERN_WITH_VDEV})
# Both install the build, and cmake --install writes its manifest into the build folder.
set_tests_properties(packaging_install packaging_deb PROPERTIES RESOURCE_LOCK kivern_install
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
