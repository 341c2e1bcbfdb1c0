vellomir_add_test(tst_btree LIBS btree)

vellomir_add_test(tst_autothread LIBS vellomir_workers)
