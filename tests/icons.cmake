vellomir_add_test(tst_icons LIBS vellomir_resources Qt6::Gui)
