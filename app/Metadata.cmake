# What the desktop and the package system learn about the game besides the
# program: the software-centre entry with its screenshots, the manual pages, the
# copyright notice and the changelog. Included from app/CMakeLists.txt.

set(CORVANE_APPSTREAM_ID org.corvane.corvane)
set(CORVANE_WEB_URL "https://corvane.example.org" CACHE STRING
    "Web address of the game; its screenshots are published under <address>/screenshots/")

# Screenshots drawn by the program itself, offscreen, for publishing at the web
# address above (software centres only take them from the web).
add_executable(corvane-screenshot tools/corvane-screenshot.cpp)
target_link_libraries(corvane-screenshot PRIVATE corvane_app)
set(CORVANE_SCREENSHOT_DIR ${CMAKE_CURRENT_BINARY_DIR}/screenshots)
set(CORVANE_SCREENSHOTS ${CORVANE_SCREENSHOT_DIR}/corvane-partida.png
                        ${CORVANE_SCREENSHOT_DIR}/corvane-novo-jogo.png)
add_custom_command(OUTPUT ${CORVANE_SCREENSHOTS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CORVANE_SCREENSHOT_DIR}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:corvane-screenshot>
          ${CORVANE_SCREENSHOT_DIR}
  DEPENDS corvane-screenshot
  COMMENT "Drawing the screenshots")

set(CORVANE_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/${CORVANE_APPSTREAM_ID}.metainfo.xml)
configure_file(corvane.metainfo.xml.in ${CORVANE_METAINFO} @ONLY)
install(FILES ${CORVANE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the Debian changelog, compressed as Debian wants them
# (gzip -9, no name or time stamp inside, so the same sources give the same bytes).
function(corvane_gzip source output)
  get_filename_component(plain ${output} NAME_WLE)
  get_filename_component(dir ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${dir}/${plain}
    COMMAND gzip -9nf ${dir}/${plain}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source}
    VERBATIM)
endfunction()
set(CORVANE_PACKED ${CMAKE_CURRENT_BINARY_DIR}/packed)
corvane_gzip(man/corvane.6 ${CORVANE_PACKED}/man/corvane.6.gz)
corvane_gzip(man/corvane.pt_BR.6 ${CORVANE_PACKED}/man-pt_BR/corvane.6.gz)
corvane_gzip(package/changelog ${CORVANE_PACKED}/doc/changelog.gz)
add_custom_target(corvane_metadata ALL
  DEPENDS ${CORVANE_SCREENSHOTS} ${CORVANE_PACKED}/man/corvane.6.gz
          ${CORVANE_PACKED}/man-pt_BR/corvane.6.gz ${CORVANE_PACKED}/doc/changelog.gz)

install(FILES ${CORVANE_PACKED}/man/corvane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CORVANE_PACKED}/man-pt_BR/corvane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/pt_BR/man6)
install(FILES package/copyright ${CORVANE_PACKED}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)
