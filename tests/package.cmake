# What make install lays out for the desktop, and the programs' start from it.
if(TARGET vellomir_app)
    vellomir_add_test(tst_startup LIBS vellomir_app)
endif()

