if(TARGET vellomir-collage)
    # Runs the built tool as a user would, through its command line.
    vellomir_add_test(tst_cli LIBS Qt6::Gui)
    target_compile_definitions(tst_cli PRIVATE
        VELLOMIR_COLLAGE="$<TARGET_FILE:vellomir-collage>"
        VELLOMIR_VERSION="${PROJECT_VERSION}")
    add_dependencies(tst_cli vellomir-collage)
endif()
