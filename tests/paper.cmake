# Paper sizes, the PDF page, bleed and printing. The PDFs are read back with poppler-utils.
vellomir_add_test(tst_paper LIBS vellomir_core)
if(TARGET vellomir_print)
    vellomir_add_test(tst_print LIBS vellomir_print)
endif()
if(TARGET vellomir_app)
    vellomir_add_test(tst_printing LIBS vellomir_app)
endif()
