# What make install lays out for the desktop, and the programs' start from it.
if(TARGET vellomir_app)
    vellomir_add_test(tst_startup LIBS vellomir_app)
endif()

if(TARGET manpage AND TARGET vellomir-collage)
    set(data_build ${CMAKE_BINARY_DIR}/data)
    vellomir_add_test(tst_desktopfiles LIBS Qt6::Core)
    target_compile_definitions(tst_desktopfiles PRIVATE
        VELLOMIR_COLLAGE="$<TARGET_FILE:vellomir-collage>"
        VELLOMIR_DATA_BUILD="${data_build}"
        VELLOMIR_APP_ID="${VELLOMIR_APP_ID}"
        VELLOMIR_VERSION="${PROJECT_VERSION}")
    add_dependencies(tst_desktopfiles vellomir-collage manpage)

    # The desktop's own validators; make deps DEPS=package installs them, and without them
    # these skip, so the suite needs none of them.
    function(vellomir_add_validator name tool)
        add_test(NAME ${name} COMMAND sh -c
            "command -v ${tool} >/dev/null || { echo '${tool} not installed'; exit 77; }; $0 \"$@\""
            ${tool} ${ARGN})
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77
            FAIL_REGULAR_EXPRESSION "[Ww]arning|[Ee]rror|[Hh]int")
    endfunction()
    vellomir_add_validator(desktop_entry_valid desktop-file-validate
        ${data_build}/${VELLOMIR_APP_ID}.desktop)
    vellomir_add_validator(metainfo_valid appstreamcli validate --no-net --pedantic
        ${data_build}/${VELLOMIR_APP_ID}.metainfo.xml)
    vellomir_add_validator(manpage_valid groff -man -ww -z -Tutf8
        ${data_build}/vellomir-collage.1)

    add_test(NAME install_tree COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/install_tree.sh
        ${CMAKE_BINARY_DIR} ${VELLOMIR_APP_ID} ${PROJECT_VERSION})
    set_tests_properties(install_tree PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CMAKE=${CMAKE_COMMAND}")
endif()
