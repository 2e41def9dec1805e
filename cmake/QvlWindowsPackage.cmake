# The Windows program as Windows users get it: `cmake --install` makes one
# folder with both programs, the templates, the Qt DLLs and plugins they load,
# MinGW's runtime DLLs, Qt's Japanese translation and the licences of all of
# it (scripts/deploy-windows.py follows the imports); the target
# `windows-installer` packs that folder into quovel-pm-setup-VERSION.exe with
# Debian's NSIS (makensis).

find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Where the Qt for MinGW keeps its DLLs and plugins: the prefix its CMake
# package was found in.
get_filename_component(qvl_qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
set(QVL_QT_TRANSLATIONS_DIR /usr/share/qt6/translations CACHE PATH
    "Qt's own translations (Debian's qt6-translations-l10n); any platform's serve")
set(QVL_MINGW_DLL_DIRS /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib
    CACHE STRING "Where MinGW's runtime DLLs are")
find_program(QVL_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)

set(qvl_deploy_args --qt "${qvl_qt_prefix}" --translations "${QVL_QT_TRANSLATIONS_DIR}"
    --objdump "${QVL_MINGW_OBJDUMP}")
foreach(dir IN LISTS QVL_MINGW_DLL_DIRS)
  list(APPEND qvl_deploy_args --dll-dir "${dir}")
endforeach()
# Runs after the programs are installed (install rules run in the order of
# the directories: src/ before this file's).
install(CODE "
  execute_process(COMMAND \"${Python3_EXECUTABLE}\" \"${PROJECT_SOURCE_DIR}/scripts/deploy-windows.py\"
                          \"\${CMAKE_INSTALL_PREFIX}\" ${qvl_deploy_args}
                  COMMAND_ERROR_IS_FATAL ANY)")

# The licences of what the folder holds, and where the sources are.
set(qvl_licences
  "${PROJECT_SOURCE_DIR}/LICENSE" quovel-pm.txt
  /usr/share/common-licenses/LGPL-3 Qt-LGPL-3.txt
  /usr/share/common-licenses/GPL-3 Qt-GPL-3.txt
  /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright GCC-runtime.txt
  /usr/share/doc/mingw-w64-x86-64-dev/copyright mingw-w64-runtime.txt)
while(qvl_licences)
  list(POP_FRONT qvl_licences source name)
  install(FILES "${source}" DESTINATION licences RENAME "${name}")
endwhile()
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/licences.txt.in
               ${CMAKE_CURRENT_BINARY_DIR}/licences.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/licences.txt DESTINATION licences RENAME README.txt)

# The installer: the folder installed into a staging place, then packed.
find_program(QVL_MAKENSIS makensis)
if(QVL_MAKENSIS)
  set(qvl_stage ${CMAKE_CURRENT_BINARY_DIR}/windows-stage)
  set(qvl_setup ${CMAKE_CURRENT_BINARY_DIR}/quovel-pm-setup-${PROJECT_VERSION}.exe)
  set(qvl_icon ${CMAKE_CURRENT_BINARY_DIR}/src/ui/quovel-pm.ico)
  add_custom_target(windows-installer
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${qvl_stage}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_CURRENT_BINARY_DIR} --prefix ${qvl_stage}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/nsis-file-lists.py ${qvl_stage}
    COMMAND ${QVL_MAKENSIS} -V2 -INPUTCHARSET UTF8
            -DVERSION=${PROJECT_VERSION} -DSHOWN_VERSION=${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}
            -DSTAGE=${qvl_stage} -DICON=${qvl_icon} -DOUTFILE=${qvl_setup}
            ${PROJECT_SOURCE_DIR}/resources/windows/quovel-pm.nsi
    BYPRODUCTS ${qvl_setup}
    COMMENT "Packing quovel-pm-setup-${PROJECT_VERSION}.exe"
    VERBATIM)
  add_dependencies(windows-installer quovel-pm qvl)
endif()
